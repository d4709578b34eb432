// Surfer 6 binary grids ("DSBB"): int16 column and row counts, the X, Y
// and Z limits as float64, then float32 nodes row by row from byte 56.
#include "grid_import/surfer_readers.hpp"

int read_surfer6_binary_header(std::FILE* stream, GrdInfo& info) {
    unsigned char bytes[52];
    if (std::fseek(stream, 4, SEEK_SET) != 0 ||
        std::fread(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
        return 0;
    }
    info.columns = load_le_int16(bytes);
    info.rows = load_le_int16(bytes + 2);
    info.x_min = load_le_float64(bytes + 4);
    const double x_max = load_le_float64(bytes + 12);
    info.y_min = load_le_float64(bytes + 20);
    const double y_max = load_le_float64(bytes + 28);
    info.z_min = load_le_float64(bytes + 36);
    info.z_max = load_le_float64(bytes + 44);
    // One column or row gives an infinite or not-a-number spacing, which
    // travels into the DTM header as it is.
    info.x_spacing = (x_max - info.x_min) / (static_cast<double>(info.columns) - 1.0);
    info.y_spacing = (y_max - info.y_min) / (static_cast<double>(info.rows) - 1.0);
    info.blank_value = GRD_V6_BLANK_VALUE;
    return 1;
}

int read_surfer6_binary_data(std::FILE* stream, GrdGrid& grid) {
    // The float32 nodes are read in one piece into the upper half of the
    // grid's memory and widened from the front: node i is read before the
    // double written in its place can reach any float not yet read.
    const std::size_t total = grid.size();
    auto* bytes = reinterpret_cast<unsigned char*>(grid.nodes.get());
    unsigned char* const floats = bytes + 4 * total;
    if (std::fread(floats, 4, total, stream) != total) {
        return 0;
    }
    for (std::size_t i = 0; i < total; ++i) {
        grid.nodes[i] = static_cast<double>(load_le_float32(floats + 4 * i));
    }
    return 1;
}
