// The first pass over a DEM: the ground extent of all profiles and the grid
// it makes. The pass can keep every profile's cells as it goes, so that the
// DEM is read only once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/console.hpp"
#include "dem_import/dem_header.hpp"
#include "dem_import/dem_status.hpp"
#include "dem_import/profile_cells.hpp"
#include "platform/platform.hpp"
#include "textscan/text_reader.hpp"

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

// The DEM being read, and where reading stands.
struct DemSource {
    std::string path;
    platform::UniqueFile stream;
    std::optional<textscan::TextReader> in;
    std::optional<std::uint64_t> size; // of a regular file
    // A file larger than this whose cells are kept is scanned in two halves
    // at once (the run's setting; never unless set).
    std::uint64_t split_from_bytes = UINT64_MAX;
};

// Opens the DEM and reads its Type A record: ok, cannot_read_header, or
// bad_resolution for a zero, negative or non-finite X or Y resolution.
DemResult open_dem(const std::string& source_path, DemSource& source, DemHeader& header);

// Reads the header of every profile the Type A record announces, the
// elevations too (passed over, or converted and kept when `keep` is given),
// and leaves the source after the last: ok (the limits then filled), or
// cannot_read_profile naming the first profile that could not be read.
// With a console, shows the pass's progress line on it.
DemResult scan_profiles(DemSource& source, const DemHeader& header, cli::Reporter* console,
                        DemLimits& limits, ProfileCells* keep);

// The grid the limits make: ok, or extent_too_large when its counts do not
// fit 32 bits, or when it holds more than 2^24 cells and more than 256 for
// every byte of the DEM.
DemResult grid_extent(const DemHeader& header, const DemLimits& limits,
                      std::optional<std::uint64_t> source_size, DemExtent& extent);

} // namespace taverlin
