#include "dem_import/profile_cells.hpp"

#include <algorithm>
#include <new>

#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_writer.hpp"

namespace taverlin {

namespace {

const auto VOID_CELL =
    static_cast<std::int16_t>(dtm::convention_of(dtm::Writer::taverlin).void_value);

} // namespace

void profile_cells(const DemProfile& profile, double z_resolution, double elevation_factor,
                   std::span<std::int16_t> cells) {
    const double datum = profile.datum_elevation;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const double v = static_cast<double>(profile.elevations[i]) * z_resolution + datum;
        // Below 0 is a void, stored as the void value in every unit.
        cells[i] =
            v < 0.0
                ? VOID_CELL
                : static_cast<std::int16_t>(dtm::cell_value(dtm::DTM_INT16, elevation_factor * v));
    }
}

void ProfileCells::add(const DemProfile& profile) {
    const std::size_t count = profile.elevations.size();
    if (count == 0) {
        columns_.push_back(Column{profile.y_start, {}});
        return;
    }
    if (count > block_capacity_ - block_used_) {
        block_capacity_ = std::max(count, BLOCK_CELLS);
        platform::LargeMemory block(block_capacity_ * sizeof(std::int16_t));
        if (!block) {
            throw std::bad_alloc();
        }
        blocks_.push_back(std::move(block));
        block_used_ = 0;
    }
    auto* const start = static_cast<std::int16_t*>(blocks_.back().get()) + block_used_;
    block_used_ += count;
    const std::span<std::int16_t> cells(start, count);
    profile_cells(profile, z_resolution_, elevation_factor_, cells);
    columns_.push_back(Column{profile.y_start, cells});
}

void ProfileCells::append(ProfileCells&& other, std::size_t count) {
    columns_.insert(columns_.end(), other.columns_.begin(),
                    other.columns_.begin() + static_cast<std::ptrdiff_t>(count));
    for (platform::LargeMemory& block : other.blocks_) {
        blocks_.push_back(std::move(block));
    }
    // New cells go into a block of their own.
    block_capacity_ = 0;
    block_used_ = 0;
    other.columns_.clear();
    other.blocks_.clear();
}

} // namespace taverlin
