#include "grid_import/grid_data.hpp"

#include <limits>
#include <memory>

namespace briskel {

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

void free_grid(GrdGrid& grid) {
    grid.nodes.reset();
    grid.rows = 0;
    grid.columns = 0;
}

} // namespace briskel
