// Surfer 6 ASCII grids ("DSAA"): the word DSAA, the column and row counts,
// the X, Y and Z limits, then the nodes row by row, all separated by white
// space; read through the buffered reader, a long node text in two halves
// at once.
#include <algorithm>
#include <cstring>
#include <vector>

#include "grid_import/surfer_layout.hpp"
#include "textscan/number_scan.hpp"
#include "textscan/second_half.hpp"

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

// Nodes read as "%lf " reads them, each the number and then any white space,
// turned into cells: from the reader's position until `limit` are read or
// one fails, or, given `stop_at`, until the reader stands at or past it
// before a node.
struct NodeRun {
    std::size_t count = 0;
    bool failed = false;
    bool stopped = false;
};

template <typename Store>
NodeRun read_nodes_from(TextReader& in, std::size_t limit, const NodeToCell& to_cell, Store store,
                        std::int64_t stop_at = -1) {
    NodeRun run;
    while (run.count < limit) {
        if (stop_at >= 0 && in.tell() >= stop_at) {
            run.stopped = true;
            break;
        }
        double node = 0.0;
        if (textscan::scan_double(in, node) != ScanStatus::ok) {
            run.failed = true;
            break;
        }
        textscan::skip_space(in);
        store(run.count++, to_cell(node));
    }
    return run;
}

// The second half of the node text starts at the first node after white
// space at or after the middle.
bool to_node_start(TextReader& in) {
    int c = 0;
    while ((c = in.get()) != TextReader::END && !is_space(c)) {
    }
    textscan::skip_space(in);
    return c != TextReader::END;
}

GridStatus read_nodes(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell) {
    TextReader& in = *source.text;
    float* const cells = grid.cells.get();
    const std::size_t total = grid.size();
    const auto into_grid = [cells](std::size_t i, float cell) { cells[i] = cell; };
    const auto size = platform::regular_file_size(source.stream.get());
    const auto begin = static_cast<std::uint64_t>(in.tell());
    platform::LargeMemory memory; // the second half's, taken from the system as it fills
    NodeRun second;
    textscan::SecondHalf half;
    if (!size || *size < begin || *size - begin < source.split_from_bytes || total < 2 ||
        !half.open(source.path, begin + (*size - begin) / 2, to_node_start) ||
        !(memory = platform::LargeMemory(total * sizeof(float)))) {
        const NodeRun run = read_nodes_from(in, total, to_cell, into_grid);
        return run.count == total ? GridStatus::ok : GridStatus::cannot_read_data;
    }

    // Both halves at once: a number never reaches over white space, so the
    // node the first half reads at the second's start is the one read there.
    float* const second_cells = static_cast<float*>(memory.get());
    const auto into_second = [second_cells](std::size_t i, float cell) { second_cells[i] = cell; };
    half.run([&, into_second](TextReader& rest, const std::stop_token&) {
        second = read_nodes_from(rest, total, to_cell, into_second);
    });
    const NodeRun first = read_nodes_from(in, total, to_cell, into_grid, half.start());
    const bool joined = half.join_at(in.tell());
    if (!first.stopped) {
        return first.count == total ? GridStatus::ok : GridStatus::cannot_read_data;
    }
    const std::size_t needed = total - first.count;
    if (!joined) {
        // Not where the second half began: read on alone.
        const NodeRun rest =
            read_nodes_from(in, needed, to_cell, [cells, &first](std::size_t i, float cell) {
                cells[first.count + i] = cell;
            });
        return rest.count == needed ? GridStatus::ok : GridStatus::cannot_read_data;
    }
    if (second.count < needed) {
        return GridStatus::cannot_read_data;
    }
    std::copy_n(second_cells, needed, cells + first.count);
    return GridStatus::ok;
}

} // namespace

const SurferLayout SURFER6_ASCII = {
    "Surfer 6 ASCII (DSAA)", recognise, "rt", 1, read_header, read_nodes};

} // namespace briskel
