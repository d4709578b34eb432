// The whole grid in memory as float64, row by row in source order: row 0 is
// the row at y_min, and column 0 of each row the node at x_min.
#pragma once

#include <cstdint>

#include "cli/platform.hpp"
#include "grid_import/grid_header.hpp"

namespace briskel {

// Room for the nodes, rows x columns row-major, in memory taken for them
// alone; not cleared, every node is read before use.
class GridNodes {
  public:
    // False when the memory cannot be had.
    [[nodiscard]] bool allocate(std::size_t count);
    void reset() { memory_ = platform::LargeMemory(); }
    double* get() const { return static_cast<double*>(memory_.get()); }
    double& operator[](std::size_t i) const { return get()[i]; }
    explicit operator bool() const { return static_cast<bool>(memory_); }

  private:
    platform::LargeMemory memory_;
};

struct GrdGrid {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    GridNodes nodes;

    std::size_t size() const {
        return static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    }
    double node(std::int32_t r, std::int32_t c) const {
        return nodes[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) +
                     static_cast<std::size_t>(c)];
    }
};

// Room for every node of the grid the header describes; false when the
// memory cannot be had (nothing is then held).
[[nodiscard]] bool allocate_grid(const GrdInfo& info, GrdGrid& grid);

void free_grid(GrdGrid& grid);

} // namespace briskel
