// Surfer 7 tagged binary grids: a chain of sections, each an 8-byte header
// (tag, size) and a body; the GRID body holds the header values and the
// DATA body the float64 nodes row by row.
#include <algorithm>
#include <bit>

#include "grid_import/surfer_readers.hpp"

int read_surfer7_header(std::FILE* stream, GrdInfo& info) {
    GrdSectionHeader grid;
    if (!find_section(stream, GRD_TAG_GRID, grid)) {
        return 0;
    }
    const off_t body_start = ftello(stream);
    unsigned char body[GRD_INFO_SIZE];
    if (body_start < 0 || std::fread(body, 1, sizeof body, stream) != sizeof body) {
        return 0;
    }
    // A GRID section longer than its values: the walk to DATA goes on
    // from the section's end.
    if (grid.size > static_cast<std::int32_t>(GRD_INFO_SIZE) &&
        fseeko(stream, body_start + static_cast<off_t>(grid.size), SEEK_SET) != 0) {
        return 0;
    }
    info.rows = load_le_int32(body);
    info.columns = load_le_int32(body + 4);
    double* const values[] = {&info.x_min, &info.y_min, &info.x_spacing, &info.y_spacing,
                              &info.z_min, &info.z_max, &info.rotation,  &info.blank_value};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        *values[i] = load_le_float64(body + 8 + 8 * i);
    }
    return 1;
}

int read_surfer7_data(std::FILE* stream, GrdGrid& grid) {
    GrdSectionHeader data;
    if (!find_section(stream, GRD_TAG_DATA, data)) {
        return 0;
    }
    // The nodes go straight into the grid's memory in one read; on a
    // big-endian machine each is then turned round in place.
    const std::size_t total = grid.size();
    if (std::fread(grid.nodes.get(), sizeof(double), total, stream) != total) {
        return 0;
    }
    if constexpr (std::endian::native == std::endian::big) {
        auto* bytes = reinterpret_cast<unsigned char*>(grid.nodes.get());
        for (std::size_t i = 0; i < total; ++i) {
            std::reverse(bytes + 8 * i, bytes + 8 * i + 8);
        }
    }
    return 1;
}
