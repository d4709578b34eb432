// The whole grid in memory as float64, row by row in source order: row 0 is
// the row at y_min, and column 0 of each row the node at x_min.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "grid_detect.hpp"
#include "grid_header.hpp"

struct GrdGrid {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    std::vector<double> nodes; // rows x columns, row-major

    double* row(std::int32_t r) {
        return nodes.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns);
    }
    double node(std::int32_t r, std::int32_t c) const {
        return nodes[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) +
                     static_cast<std::size_t>(c)];
    }
};

// Room for every node of the grid the header describes; false when the
// memory cannot be had (nothing is then held).
bool allocate_grid(const GrdInfo& info, GrdGrid& grid);

// Fills the grid from where the header reader left the stream. 1 when every
// node was read, 0 otherwise.
int read_grid_data(GrdKind kind, GrdGrid& grid, std::FILE* stream);

void free_grid(GrdGrid& grid);
