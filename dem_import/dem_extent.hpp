// The first pass over a DEM: the ground extent of all profiles and the grid
// it makes.
#pragma once

#include <cstdint>
#include <string>

#include "dem_import/dem_header.hpp"

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

// Result of the scan: 0 when every profile was read, the 1-based number of
// the first profile that could not be read, or -1 when the file could not
// be opened or its Type A record read.
int scan_dem_limits(const std::string& source_path, bool suppress_progress, DemHeader& header,
                    DemLimits& limits);

// Reads the Type A record, scans all profiles and computes the grid.
// DEM_OK, DEM_CANNOT_OPEN_SOURCE, DEM_CANNOT_READ_SOURCE (Type A record),
// DEM_CANNOT_READ_PROFILES (failed_profile names it), DEM_BAD_RESOLUTION or
// DEM_EXTENT_OUT_OF_RANGE.
int compute_dem_extent(const std::string& source_path, bool suppress_progress, DemHeader& header,
                       DemExtent& extent, int& failed_profile);
