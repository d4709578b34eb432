// The first pass over a DEM: the ground extent of all profiles and the grid
// it makes.
#pragma once

#include <cstdint>
#include <string>

#include "dem_import/dem_header.hpp"
#include "dem_import/dem_status.hpp"

namespace taverlin {

struct DemExtent {
    double x_min = 0.0;
    double y_min = 0.0;
    double rotation = 0.0;
    double x_spacing = 0.0;
    double y_spacing = 0.0;
    std::int32_t column_count = 0;
    std::int32_t row_count = 0;
};

// What the scan found: the smallest and largest X and Y over the start and
// end points of all profiles, and the largest elevation count.
struct DemLimits {
    double x_min = 0.0;
    double y_min = 0.0;
    double x_max = 0.0;
    double y_max = 0.0;
    std::int32_t largest_count = 0;
};

// Reads the Type A record, then every profile's header, passing over the
// elevations: ok when every profile was read (the limits then filled),
// cannot_read_header, or cannot_read_profile naming the first profile that
// could not be read.
DemResult scan_dem_limits(const std::string& source_path, bool suppress_progress, DemHeader& header,
                          DemLimits& limits);

// Reads the Type A record, scans all profiles and computes the grid: ok,
// cannot_read_header, cannot_read_profile, bad_resolution or
// extent_too_large.
DemResult compute_dem_extent(const std::string& source_path, bool suppress_progress,
                             DemHeader& header, DemExtent& extent);

} // namespace taverlin
