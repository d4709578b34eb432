// Surfer 6 binary grids ("DSBB"): int16 column and row counts, the X, Y
// and Z limits as float64, then float32 nodes row by row from byte 56.
#include <algorithm>
#include <cstring>
#include <vector>

#include "dtmfile/endian.hpp"
#include "grid_import/binary_nodes.hpp"
#include "grid_import/surfer_layout.hpp"

namespace briskel {

namespace {

bool recognise(std::span<const unsigned char> first) {
    return first.size() >= 8 && std::memcmp(first.data(), "DSBB", 4) == 0;
}

GridStatus read_header(GridSource& source, GrdInfo& info) {
    std::FILE* const stream = source.stream.get();
    unsigned char bytes[52];
    if (!platform::seek(stream, 4) || std::fread(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
        return GridStatus::cannot_read_header;
    }
    info.columns = dtm::load_le<std::int16_t>(bytes);
    info.rows = dtm::load_le<std::int16_t>(bytes + 2);
    info.x_min = dtm::load_le<double>(bytes + 4);
    const double x_max = dtm::load_le<double>(bytes + 12);
    info.y_min = dtm::load_le<double>(bytes + 20);
    const double y_max = dtm::load_le<double>(bytes + 28);
    info.z_min = dtm::load_le<double>(bytes + 36);
    info.z_max = dtm::load_le<double>(bytes + 44);
    info.x_spacing = surfer6_spacing(info.x_min, x_max, info.columns);
    info.y_spacing = surfer6_spacing(info.y_min, y_max, info.rows);
    info.blank_value = GRD_V6_BLANK_VALUE;
    return GridStatus::ok;
}

GridStatus read_nodes(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell) {
    return read_binary_nodes(source, grid, to_cell, sizeof(float));
}

} // namespace

const SurferLayout SURFER6_BINARY = {
    "Surfer 6 binary (DSBB)", recognise, "rb", 4, read_header, read_nodes};

} // namespace briskel
