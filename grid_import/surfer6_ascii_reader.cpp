// Surfer 6 ASCII grids ("DSAA"): the word DSAA, the column and row counts,
// the X, Y and Z limits, then the nodes row by row, all separated by white
// space.
#include <cctype>

#include "grid_import/surfer_readers.hpp"
#include "textscan/number_scan.hpp"
#include "textscan/text_reader.hpp"

namespace {

void skip_white_space(std::FILE* stream) {
    int c = 0;
    while ((c = std::fgetc(stream)) != EOF && std::isspace(c) != 0) {
    }
    if (c != EOF) {
        std::ungetc(c, stream);
    }
}

// The first word, whatever its length, and the white space after it.
bool skip_word(std::FILE* stream) {
    skip_white_space(stream);
    int c = 0;
    std::size_t length = 0;
    while ((c = std::fgetc(stream)) != EOF && std::isspace(c) == 0) {
        ++length;
    }
    if (c != EOF) {
        std::ungetc(c, stream);
    }
    skip_white_space(stream);
    return length > 0;
}

bool read_limits(std::FILE* stream, double& low, double& high) {
    return std::fscanf(stream, "%lf %lf ", &low, &high) == 2;
}

} // namespace

int read_surfer6_ascii_header(std::FILE* stream, GrdInfo& info) {
    if (!skip_word(stream)) {
        return 0;
    }
    int columns = 0;
    int rows = 0;
    const bool counts = std::fscanf(stream, "%d %d ", &columns, &rows) == 2;
    info.columns = columns;
    info.rows = rows;
    double x_max = 0.0;
    double y_max = 0.0;
    const bool limits = counts && read_limits(stream, info.x_min, x_max) &&
                        read_limits(stream, info.y_min, y_max) &&
                        read_limits(stream, info.z_min, info.z_max);
    info.x_spacing = (x_max - info.x_min) / (static_cast<double>(info.columns) - 1.0);
    info.y_spacing = (y_max - info.y_min) / (static_cast<double>(info.rows) - 1.0);
    info.blank_value = GRD_V6_ASCII_BLANK_VALUE;
    return limits ? 1 : 0;
}

int read_surfer6_ascii_data(std::FILE* stream, GrdGrid& grid) {
    // Each node as "%lf " reads it: the number, then any white space.
    TextReader in(stream);
    const std::size_t total = grid.size();
    for (std::size_t i = 0; i < total; ++i) {
        if (scan_double(in, grid.nodes[i]) != SCAN_OK) {
            return 0;
        }
        skip_space(in);
    }
    return 1;
}
