// The grid in memory in its output form: one float32 DTM cell a node (row 0
// is the row at y_min, and column 0 the column at x_min). The node readers
// convert each node as they read it, so the grid never exists at the
// source's width. The binary readers hold it in the DTM file's own order,
// column by column, turning the rows of each block they read into pieces
// of the columns; the text reader holds it row by row, in source order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "grid_import/grid_header.hpp"
#include "platform/platform.hpp"

namespace briskel {

// How a node becomes its cell: a blank node (at or above the blank value,
// compared before any scaling) becomes BRISKEL's void value, any other the
// node times the elevation factor rounded to float32. A NaN node is not
// blank and stays NaN.
struct NodeToCell {
    double blank_value = 0.0;
    double z_factor = 1.0;

    float operator()(double node) const;
    // `count` nodes at once, the same way.
    void convert(const double* nodes, std::size_t count, float* cells) const;
    void convert(const float* nodes, std::size_t count, float* cells) const;
};

// Room for rows x columns cells, row-major, in memory taken for them alone;
// not cleared, every cell is written before use.
class GridCells {
  public:
    // False when the memory cannot be had.
    [[nodiscard]] bool allocate(std::size_t count);
    void reset() { memory_ = platform::LargeMemory(); }
    float* get() const { return static_cast<float*>(memory_.get()); }
    float& operator[](std::size_t i) const { return get()[i]; }

  private:
    platform::LargeMemory memory_;
};

enum class CellOrder {
    rows,    // row by row from the south, each from the west (source order)
    columns, // column by column from the west, each from the south (file order)
};

struct GrdGrid {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    CellOrder order = CellOrder::rows;
    GridCells cells;

    std::size_t size() const {
        return static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    }
    float cell(std::int32_t r, std::int32_t c) const {
        const auto row = static_cast<std::size_t>(r);
        const auto column = static_cast<std::size_t>(c);
        return order == CellOrder::rows ? cells[row * static_cast<std::size_t>(columns) + column]
                                        : cells[column * static_cast<std::size_t>(rows) + row];
    }
    // The cell of the i-th node in source order.
    float node_cell(std::size_t i) const {
        const auto width = static_cast<std::size_t>(columns);
        return cell(static_cast<std::int32_t>(i / width), static_cast<std::int32_t>(i % width));
    }
};

// Room for every cell of the grid the header describes; false when the
// memory cannot be had (nothing is then held).
[[nodiscard]] bool allocate_grid(const GrdInfo& info, GrdGrid& grid);

void free_grid(GrdGrid& grid);

} // namespace briskel
