// Profiles turned into DTM cells as they are read, and kept until the extent
// of the whole DEM tells where each column starts. Every elevation is read
// and converted once; the cells take two bytes each, the size they will
// have in the DTM file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "dem_import/dem_profile.hpp"
#include "platform/platform.hpp"

namespace taverlin {

// The cells of a profile's elevations, south to north: v = raw count x
// z_resolution + datum in float64; below 0 the void value -1, otherwise
// the int16 cell of elevation_factor x v (truncated, 16-bit wrap).
void profile_cells(const DemProfile& profile, double z_resolution, double elevation_factor,
                   std::span<std::int16_t> cells);

class ProfileCells {
  public:
    ProfileCells(double z_resolution, double elevation_factor)
        : z_resolution_(z_resolution), elevation_factor_(elevation_factor) {}

    // Converts the profile's elevations and keeps them with its Y.
    void add(const DemProfile& profile);

    // An empty store that converts as this one does.
    ProfileCells converting_alike() const { return {z_resolution_, elevation_factor_}; }

    // Takes over the first `count` columns of `other`, after those held.
    void append(ProfileCells&& other, std::size_t count);

    std::size_t size() const { return columns_.size(); }
    double y_start(std::size_t i) const { return columns_[i].y_start; }
    std::span<const std::int16_t> cells(std::size_t i) const { return columns_[i].cells; }

  private:
    // Cells are kept back to back in large blocks of memory, taken from the
    // system as they fill (in huge pages where it offers them), so that
    // keeping them costs few page faults and no copying.
    static constexpr std::size_t BLOCK_CELLS = std::size_t{1} << 24;

    struct Column {
        double y_start;
        std::span<std::int16_t> cells;
    };
    double z_resolution_;
    double elevation_factor_;
    std::vector<Column> columns_;
    std::vector<platform::LargeMemory> blocks_;
    std::size_t block_capacity_ = 0; // cells in the last block
    std::size_t block_used_ = 0;
};

} // namespace taverlin
