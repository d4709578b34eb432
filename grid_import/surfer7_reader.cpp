// Surfer 7 tagged binary grids: a chain of sections, each an 8-byte header
// (tag, size) and a body; the GRID body holds the header values and the
// DATA body the float64 nodes row by row.
#include <vector>

#include "surfer_readers.hpp"

int read_surfer7_header(std::FILE* stream, GrdInfo& info) {
    if (!find_section(stream, GRD_TAG_GRID)) {
        return 0;
    }
    unsigned char body[GRD_INFO_SIZE];
    if (std::fread(body, 1, sizeof body, stream) != sizeof body) {
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
    if (!find_section(stream, GRD_TAG_DATA)) {
        return 0;
    }
    const auto columns = static_cast<std::size_t>(grid.columns);
    std::vector<unsigned char> bytes(columns * 8);
    for (std::int32_t r = 0; r < grid.rows; ++r) {
        if (std::fread(bytes.data(), 1, bytes.size(), stream) != bytes.size()) {
            return 0;
        }
        double* const row = grid.row(r);
        for (std::size_t c = 0; c < columns; ++c) {
            row[c] = load_le_float64(bytes.data() + 8 * c);
        }
    }
    return 1;
}
