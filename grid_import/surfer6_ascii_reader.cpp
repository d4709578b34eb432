// Surfer 6 ASCII grids ("DSAA"): the word DSAA, the column and row counts,
// the X, Y and Z limits, then the nodes row by row, all separated by white
// space; everything read through one buffered reader.
#include <cstring>

#include "grid_import/surfer_layout.hpp"
#include "textscan/number_scan.hpp"

namespace briskel {

namespace {

using textscan::ScanStatus;
using textscan::TextReader;

bool is_space(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The first word, whatever its length, and the white space after it.
bool skip_word(TextReader& in) {
    textscan::skip_space(in);
    std::size_t length = 0;
    int c = 0;
    while ((c = in.get()) != TextReader::END && !is_space(c)) {
        ++length;
    }
    if (c != TextReader::END) {
        in.unget();
    }
    textscan::skip_space(in);
    return length > 0;
}

// "%d %d ": the two counts and the white space after each.
bool read_counts(TextReader& in, std::int32_t& columns, std::int32_t& rows) {
    if (textscan::scan_integer(in, 0, columns) != ScanStatus::ok) {
        return false;
    }
    textscan::skip_space(in);
    if (textscan::scan_integer(in, 0, rows) != ScanStatus::ok) {
        return false;
    }
    textscan::skip_space(in);
    return true;
}

// "%lf %lf ": a low and a high limit.
bool read_limits(TextReader& in, double& low, double& high) {
    if (textscan::scan_double(in, low) != ScanStatus::ok) {
        return false;
    }
    textscan::skip_space(in);
    if (textscan::scan_double(in, high) != ScanStatus::ok) {
        return false;
    }
    textscan::skip_space(in);
    return true;
}

bool recognise(std::span<const unsigned char> first) {
    return first.size() >= 8 && std::memcmp(first.data(), "DSAA", 4) == 0;
}

GridStatus read_header(GridSource& source, GrdInfo& info) {
    if (!platform::seek(source.stream.get(), 0)) {
        return GridStatus::cannot_read_header;
    }
    TextReader& in = source.text.emplace(source.stream.get());
    double x_max = 0.0;
    double y_max = 0.0;
    if (!skip_word(in) || !read_counts(in, info.columns, info.rows) ||
        !read_limits(in, info.x_min, x_max) || !read_limits(in, info.y_min, y_max) ||
        !read_limits(in, info.z_min, info.z_max)) {
        return GridStatus::cannot_read_header;
    }
    info.x_spacing = surfer6_spacing(info.x_min, x_max, info.columns);
    info.y_spacing = surfer6_spacing(info.y_min, y_max, info.rows);
    info.blank_value = GRD_V6_ASCII_BLANK_VALUE;
    return GridStatus::ok;
}

GridStatus read_nodes(GridSource& source, GrdGrid& grid) {
    // Each node as "%lf " reads it: the number, then any white space.
    TextReader& in = *source.text;
    const std::size_t total = grid.size();
    for (std::size_t i = 0; i < total; ++i) {
        if (textscan::scan_double(in, grid.nodes[i]) != ScanStatus::ok) {
            return GridStatus::cannot_read_data;
        }
        textscan::skip_space(in);
    }
    return GridStatus::ok;
}

} // namespace

const SurferLayout SURFER6_ASCII = {
    "Surfer 6 ASCII (DSAA)", recognise, "rt", 1, read_header, read_nodes};

} // namespace briskel
