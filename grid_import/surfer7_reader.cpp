#include "grid_import/surfer7_reader.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "dtmfile/endian.hpp"
#include "grid_import/binary_nodes.hpp"
#include "grid_import/surfer_layout.hpp"

namespace briskel {

namespace {

bool read_section_header(std::FILE* stream, GrdSectionHeader& section) {
    unsigned char bytes[8];
    if (std::fread(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
        return false;
    }
    section.tag = dtm::load_le<std::int32_t>(bytes);
    section.size = dtm::load_le<std::int32_t>(bytes + 4);
    return true;
}

bool recognise(std::span<const unsigned char> first) {
    return first.size() >= 12 && std::memcmp(first.data(), "DSRB", 4) == 0 &&
           dtm::load_le<std::int32_t>(first.data() + 8) == 1;
}

GridStatus read_header(GridSource& source, GrdInfo& info) {
    std::FILE* const stream = source.stream.get();
    GrdSectionHeader grid;
    if (!platform::seek(stream, 0) || !find_section(stream, GRD_TAG_GRID, grid)) {
        return GridStatus::cannot_read_header;
    }
    const auto body_start = platform::tell(stream);
    unsigned char body[GRD_INFO_SIZE];
    if (!body_start || std::fread(body, 1, sizeof body, stream) != sizeof body) {
        return GridStatus::cannot_read_header;
    }
    // A GRID section longer than its values: the walk to DATA goes on
    // from the section's end.
    if (grid.size > static_cast<std::int32_t>(GRD_INFO_SIZE) &&
        !platform::seek(stream, *body_start + static_cast<std::uint64_t>(grid.size))) {
        return GridStatus::cannot_read_header;
    }
    info.rows = dtm::load_le<std::int32_t>(body);
    info.columns = dtm::load_le<std::int32_t>(body + 4);
    double* const values[] = {&info.x_min, &info.y_min, &info.x_spacing, &info.y_spacing,
                              &info.z_min, &info.z_max, &info.rotation,  &info.blank_value};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        *values[i] = dtm::load_le<double>(body + 8 + 8 * i);
    }
    return GridStatus::ok;
}

GridStatus read_nodes(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell) {
    GrdSectionHeader data;
    if (!find_section(source.stream.get(), GRD_TAG_DATA, data)) {
        return GridStatus::cannot_read_data;
    }
    return read_binary_nodes(source, grid, to_cell, sizeof(double));
}

} // namespace

bool find_section(std::FILE* stream, std::int32_t tag, GrdSectionHeader& section) {
    for (;;) {
        const auto start = platform::tell(stream);
        if (!start || !read_section_header(stream, section)) {
            return false;
        }
        if (section.tag == tag) {
            return true;
        }
        // A negative size would send the walk back over what it has read,
        // round the same sections for ever: the walk only goes forward.
        if (section.size < 0 ||
            !platform::seek(stream, *start + 8 + static_cast<std::uint64_t>(section.size))) {
            return false;
        }
    }
}

const SurferLayout SURFER7_BINARY = {
    "Surfer 7 binary (DSRB)", recognise, "rb", 8, read_header, read_nodes};

} // namespace briskel
