#include "grid_import/grid_data.hpp"

#include <algorithm>
#include <limits>
#include <memory>
#include <sys/stat.h>

#include "grid_import/surfer_readers.hpp"

bool source_holds_grid(GrdKind kind, const GrdInfo& info, std::FILE* stream) {
    struct stat file {};
    const off_t position = ftello(stream);
    if (::fstat(fileno(stream), &file) != 0 || !S_ISREG(file.st_mode) || position < 0) {
        return true;
    }
    const std::uint64_t node_bytes = kind == GRD_V7_BINARY ? 8 : kind == GRD_V6_BINARY ? 4 : 1;
    const auto nodes =
        static_cast<std::uint64_t>(info.rows) * static_cast<std::uint64_t>(info.columns);
    const auto left = static_cast<std::uint64_t>(std::max<off_t>(file.st_size - position, 0));
    return nodes <= left / node_bytes;
}

bool GridNodes::allocate(std::size_t count) {
    memory_ = platform::LargeMemory(count * sizeof(double));
    if (!memory_) {
        return false;
    }
    // The doubles begin their life here; nothing is written.
    std::uninitialized_default_construct_n(get(), count);
    return true;
}

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
    if (!grid.nodes.allocate(static_cast<std::size_t>(count))) {
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
    grid.nodes.reset();
    grid.rows = 0;
    grid.columns = 0;
}
