#include "grid_data.hpp"

#include <limits>
#include <new>

#include "surfer_readers.hpp"

bool allocate_grid(const GrdInfo& info, GrdGrid& grid) {
    free_grid(grid);
    if (info.rows < 0 || info.columns < 0) {
        return false;
    }
    const auto count =
        static_cast<std::uint64_t>(info.rows) * static_cast<std::uint64_t>(info.columns);
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(double)) {
        return false;
    }
    try {
        grid.nodes.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        free_grid(grid);
        return false;
    }
    grid.rows = info.rows;
    grid.columns = info.columns;
    return true;
}

int read_grid_data(GrdKind kind, GrdGrid& grid, std::FILE* stream) {
    switch (kind) {
    case GRD_V7_BINARY:
        return read_surfer7_data(stream, grid);
    case GRD_V6_BINARY:
        return read_surfer6_binary_data(stream, grid);
    case GRD_V6_ASCII:
        return read_surfer6_ascii_data(stream, grid);
    default:
        return 0;
    }
}

void free_grid(GrdGrid& grid) {
    grid.nodes.clear();
    grid.nodes.shrink_to_fit();
    grid.rows = 0;
    grid.columns = 0;
}
