#include "grid_import/binary_nodes.hpp"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>
#include <thread>

#include "dtmfile/endian.hpp"
#include "dtmfile/grid_order.hpp"
#include "grid_import/binary_nodes.hpp"

namespace briskel {

namespace {

// Nodes read at a time, as whole rows where a row is no longer.
constexpr std::size_t BLOCK_NODES = std::size_t{1} << 17;

// Rows [first_row, end_row) from the stream, which stands at the first of
// them, into the grid's columns: each block of rows is read, turned into
// cells row by row, and the block's piece of every column is written at
// once. A row longer than a block is read in pieces, each cell into its
// column.
template <typename Node>
bool read_row_range(std::FILE* stream, std::size_t first_row, std::size_t end_row,
                    const GrdGrid& grid, const NodeToCell& to_cell) {
    const auto rows = static_cast<std::size_t>(grid.rows);
    const auto columns = static_cast<std::size_t>(grid.columns);
    float* const cells = grid.cells.get();
    const std::size_t block_rows = std::max<std::size_t>(BLOCK_NODES / columns, 1);
    const std::size_t block = std::min(block_rows * columns, BLOCK_NODES);
    const auto nodes = std::make_unique_for_overwrite<Node[]>(block);
    const auto row_cells = std::make_unique_for_overwrite<float[]>(block);
    const auto read = [&](std::size_t count) {
        if (std::fread(nodes.get(), sizeof(Node), count, stream) != count) {
            return false;
        }
        if constexpr (std::endian::native == std::endian::big) {
            for (std::size_t i = 0; i < count; ++i) {
                nodes[i] = dtm::load_le<Node>(&nodes[i]);
            }
        }
        to_cell.convert(nodes.get(), count, row_cells.get());
        return true;
    };
    for (std::size_t r0 = first_row; r0 < end_row; r0 += block_rows) {
        if (columns > block) {
            for (std::size_t c0 = 0; c0 < columns; c0 += block) {
                const std::size_t count = std::min(block, columns - c0);
                if (!read(count)) {
                    return false;
                }
                dtm::place_rows(cells, rows, columns, row_cells.get(), 1, count, count, r0, c0);
            }
            continue;
        }
        const std::size_t height = std::min(block_rows, end_row - r0);
        if (!read(height * columns)) {
            return false;
        }
        dtm::place_rows(cells, rows, columns, row_cells.get(), height, columns, columns, r0, 0);
    }
    return true;
}

template <typename Node>
GridStatus read_nodes_in_halves(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell) {
    std::FILE* const stream = source.stream.get();
    grid.order = CellOrder::columns;
    const auto rows = static_cast<std::size_t>(grid.rows);
    const auto columns = static_cast<std::size_t>(grid.columns);
    if (rows == 0 || columns == 0) {
        return GridStatus::ok;
    }
    const auto start = platform::tell(stream);
    // The halves meet at a row boundary.
    std::size_t half = rows / 2;
    platform::UniqueFile second_stream;
    if (grid.size() * sizeof(Node) < source.split_from_bytes || half == 0 || !start) {
        half = rows;
    } else {
        second_stream = platform::open_read_stream(source.path, "rb");
        if (!second_stream ||
            !platform::seek(second_stream.get(),
                            *start + std::uint64_t{half} * columns * sizeof(Node))) {
            half = rows;
        }
    }
    bool second_read = true;
    std::thread second;
    if (half < rows) {
        second = std::thread([&] {
            try {
                second_read = read_row_range<Node>(second_stream.get(), half, rows, grid, to_cell);
            } catch (...) {
                second_read = false;
            }
        });
    }
    const bool first_read = read_row_range<Node>(stream, 0, half, grid, to_cell);
    if (second.joinable()) {
        second.join();
    }
    return first_read && second_read ? GridStatus::ok : GridStatus::cannot_read_data;
}

} // namespace

GridStatus read_binary_nodes(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell,
                             std::size_t node_bytes) {
    return node_bytes == sizeof(float) ? read_nodes_in_halves<float>(source, grid, to_cell)
                                       : read_nodes_in_halves<double>(source, grid, to_cell);
}

} // namespace briskel
