// Surfer 6 ASCII grids ("DSAA"): the word DSAA, the column and row counts,
// the X, Y and Z limits, then the nodes row by row, all separated by white
// space; read through the buffered reader, a long node text in two halves
// at once.
#include <algorithm>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

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

// The second half of the node text: from the first white space at or after
// `split` on, read on a stream of its own, into memory of its own that is
// taken from the system as it fills.
struct SecondHalf {
    platform::UniqueFile stream;
    std::optional<TextReader> in;
    std::int64_t start = -1; // where its first node begins
    platform::LargeMemory memory;
    NodeRun run;
    bool broken = false;

    float* cells() const { return static_cast<float*>(memory.get()); }
};

bool find_second_half(const std::string& path, std::uint64_t split, SecondHalf& half) {
    half.stream = platform::open_read_stream(path, "rb");
    if (!half.stream || !platform::seek(half.stream.get(), split)) {
        return false;
    }
    TextReader& in = half.in.emplace(half.stream.get());
    int c = 0;
    while ((c = in.get()) != TextReader::END && !is_space(c)) {
    }
    if (c == TextReader::END) {
        return false;
    }
    textscan::skip_space(in);
    half.start = in.tell();
    return true;
}

GridStatus read_nodes(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell) {
    TextReader& in = *source.text;
    float* const cells = grid.cells.get();
    const std::size_t total = grid.size();
    const auto into_grid = [cells](std::size_t i, float cell) { cells[i] = cell; };
    const auto size = platform::regular_file_size(source.stream.get());
    const auto begin = static_cast<std::uint64_t>(in.tell());
    SecondHalf half;
    if (!size || *size < begin || *size - begin < source.split_from_bytes || total < 2 ||
        !find_second_half(source.path, begin + (*size - begin) / 2, half)) {
        const NodeRun run = read_nodes_from(in, total, to_cell, into_grid);
        return run.count == total ? GridStatus::ok : GridStatus::cannot_read_data;
    }

    // Both halves at once. The first ends where the second begins: a
    // number never reaches over white space, so the node read there is the
    // one the second half read first, and the two join into what one pass
    // would have read.
    half.memory = platform::LargeMemory(total * sizeof(float));
    if (!half.memory) {
        const NodeRun run = read_nodes_from(in, total, to_cell, into_grid);
        return run.count == total ? GridStatus::ok : GridStatus::cannot_read_data;
    }
    float* const second_cells = half.cells();
    std::thread second([&half, total, &to_cell, second_cells] {
        try {
            half.run = read_nodes_from(
                *half.in, total, to_cell,
                [second_cells](std::size_t i, float cell) { second_cells[i] = cell; });
        } catch (...) {
            half.broken = true;
        }
    });
    const NodeRun first = read_nodes_from(in, total, to_cell, into_grid, half.start);
    second.join();
    if (!first.stopped) {
        return first.count == total ? GridStatus::ok : GridStatus::cannot_read_data;
    }
    const std::size_t needed = total - first.count;
    if (in.tell() != half.start || half.broken) {
        // Not where the second half began: read on alone.
        const NodeRun rest =
            read_nodes_from(in, needed, to_cell, [cells, &first](std::size_t i, float cell) {
                cells[first.count + i] = cell;
            });
        return rest.count == needed ? GridStatus::ok : GridStatus::cannot_read_data;
    }
    if (half.run.count < needed) {
        return GridStatus::cannot_read_data;
    }
    std::copy_n(second_cells, needed, cells + first.count);
    return GridStatus::ok;
}

} // namespace

const SurferLayout SURFER6_ASCII = {
    "Surfer 6 ASCII (DSAA)", recognise, "rt", 1, read_header, read_nodes};

} // namespace briskel
