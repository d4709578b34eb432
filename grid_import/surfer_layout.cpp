#include "grid_import/surfer_layout.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "dtmfile/endian.hpp"

namespace briskel {

std::optional<std::uint64_t> GridSource::position() const {
    if (text) {
        return static_cast<std::uint64_t>(text->tell());
    }
    return platform::tell(stream.get());
}

std::span<const SurferLayout* const> surfer_layouts() {
    static constexpr std::array<const SurferLayout*, 3> LAYOUTS = {&SURFER7_BINARY, &SURFER6_BINARY,
                                                                   &SURFER6_ASCII};
    return LAYOUTS;
}

const SurferLayout* detect_layout(const std::string& source_path) {
    const platform::UniqueFile stream = platform::open_read_stream(source_path, "rb");
    if (!stream) {
        return nullptr;
    }
    std::array<unsigned char, 12> first{};
    const std::size_t got = std::fread(first.data(), 1, first.size(), stream.get());
    const std::span<const unsigned char> bytes(first.data(), got);
    for (const SurferLayout* layout : surfer_layouts()) {
        if (layout->recognise(bytes)) {
            return layout;
        }
    }
    return nullptr;
}

GridStatus open_grid(const SurferLayout& layout, const std::string& source_path, GridSource& source,
                     GrdInfo& info) {
    source.path = source_path;
    source.stream = platform::open_read_stream(source_path, layout.open_mode);
    if (!source.stream || layout.read_header(source, info) != GridStatus::ok) {
        return GridStatus::cannot_read_header;
    }
    // Damaged files can hold negative counts; no grid has them.
    if (info.rows < 0 || info.columns < 0) {
        return GridStatus::cannot_read_header;
    }
    return GridStatus::ok;
}

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
                for (std::size_t i = 0; i < count; ++i) {
                    cells[(c0 + i) * rows + r0] = row_cells[i];
                }
            }
            continue;
        }
        const std::size_t height = std::min(block_rows, end_row - r0);
        if (!read(height * columns)) {
            return false;
        }
        // Sixteen columns at a time: each row's cache line of them is
        // spread over the sixteen pieces.
        constexpr std::size_t TILE = 16;
        for (std::size_t c0 = 0; c0 < columns; c0 += TILE) {
            const std::size_t width = std::min(TILE, columns - c0);
            float* const piece = cells + c0 * rows + r0;
            for (std::size_t k = 0; k < height; ++k) {
                const float* const from = row_cells.get() + k * columns + c0;
                for (std::size_t j = 0; j < width; ++j) {
                    piece[j * rows + k] = from[j];
                }
            }
        }
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

bool source_holds_grid(const SurferLayout& layout, const GrdInfo& info, const GridSource& source) {
    const auto size = platform::regular_file_size(source.stream.get());
    const auto position = source.position();
    if (!size || !position) {
        return true;
    }
    const auto nodes =
        static_cast<std::uint64_t>(info.rows) * static_cast<std::uint64_t>(info.columns);
    const std::uint64_t left = *size > *position ? *size - *position : 0;
    return nodes <= left / layout.node_bytes;
}

} // namespace briskel
