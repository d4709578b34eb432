// The order of a DTM file's cells: column by column from the west, each
// column from the south. Sources that run row by row (Surfer grids, GDAL
// rasters) are turned into it here and nowhere else: a block of rows, or a
// tile of one, is placed at its offset into the columns, flipped on the way
// when the source runs from the north or its rows from the east.
#pragma once

#include <algorithm>
#include <cstddef>

namespace dtm {

// How a row-major source runs against the file's order.
struct RowOrder {
    bool north_first = false; // the first row is the northern one
    bool east_first = false;  // each row runs from the east
};

// Places `height` source rows of `width` cells (row k at block + k *
// stride), whose first cell is the source's row `row` and column `column`,
// into `grid`: the whole grid of `rows` x `columns` cells in file order.
template <typename Cell>
void place_rows(Cell* grid, std::size_t rows, std::size_t columns, const Cell* block,
                std::size_t height, std::size_t width, std::size_t stride, std::size_t row,
                std::size_t column, RowOrder order = {}) {
    // Sixteen columns at a time: each row's cache line of them is spread
    // over sixteen pieces of columns.
    constexpr std::size_t TILE = 16;
    for (std::size_t c0 = 0; c0 < width; c0 += TILE) {
        const std::size_t tile = std::min(TILE, width - c0);
        if (!order.north_first && !order.east_first) {
            Cell* const piece = grid + (column + c0) * rows + row;
            for (std::size_t k = 0; k < height; ++k) {
                const Cell* const from = block + k * stride + c0;
                for (std::size_t j = 0; j < tile; ++j) {
                    piece[j * rows + k] = from[j];
                }
            }
            continue;
        }
        for (std::size_t k = 0; k < height; ++k) {
            const Cell* const from = block + k * stride + c0;
            const std::size_t r = order.north_first ? rows - 1 - (row + k) : row + k;
            for (std::size_t j = 0; j < tile; ++j) {
                const std::size_t c = column + c0 + j;
                grid[(order.east_first ? columns - 1 - c : c) * rows + r] = from[j];
            }
        }
    }
}

} // namespace dtm
