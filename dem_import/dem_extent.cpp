#include "dem_import/dem_extent.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "cli/console.hpp"
#include "cli/platform.hpp"
#include "dem_import/dem_profile.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

using cli::print_info;
using textscan::format_text;
using textscan::TextReader;

namespace {

constexpr double LARGEST_DOUBLE = std::numeric_limits<double>::max();

const char* const CLEAR_PROGRESS_LINE =
    "\r                                                                      \r";

void widen_limits(DemLimits& limits, double x, double y) {
    if (x < limits.x_min) {
        limits.x_min = x;
    }
    if (y < limits.y_min) {
        limits.y_min = y;
    }
    if (x > limits.x_max) {
        limits.x_max = x;
    }
    if (y > limits.y_max) {
        limits.y_max = y;
    }
}

// Number of grid lines over a span: truncate(span / spacing + 1), or
// nothing when that does not fit a 32-bit count.
bool grid_line_count(double span, double spacing, std::int32_t& count) {
    const double lines = span / spacing + 1.0;
    if (!(lines > -1.0 && lines < 2147483648.0)) {
        return false;
    }
    count = static_cast<std::int32_t>(lines);
    return true;
}

// A grid far larger than its file can describe: more than 2^24 cells and
// more than 256 cells a byte of the DEM, as when a few profiles lie
// millions of rows apart. Real DEMs, however sparse, stay far below.
bool absurd_extent(std::int32_t columns, std::int32_t rows, std::optional<std::uint64_t> size) {
    constexpr std::uint64_t CELLS_ALWAYS_ALLOWED = std::uint64_t{1} << 24;
    constexpr std::uint64_t CELLS_PER_BYTE = 256;
    const auto cells = static_cast<std::uint64_t>(std::max(columns, 0)) *
                       static_cast<std::uint64_t>(std::max(rows, 0));
    return size && cells > CELLS_ALWAYS_ALLOWED && cells > CELLS_PER_BYTE * *size;
}

bool valid_resolution(float resolution) {
    return std::isfinite(resolution) && resolution > 0.0f;
}

} // namespace

DemResult open_dem(const std::string& source_path, DemSource& source, DemHeader& header) {
    source.stream = platform::open_read_stream(source_path, "rb");
    if (!source.stream) {
        return {DemStatus::cannot_read_header};
    }
    source.size = platform::regular_file_size(source.stream.get());
    textscan::TextReader& in = source.in.emplace(source.stream.get());
    if (read_dem_header(in, header) != DemStatus::ok) {
        return {DemStatus::cannot_read_header};
    }
    // Both spacings divide the extent and place every profile in its column.
    if (!valid_resolution(header.x_resolution) || !valid_resolution(header.y_resolution)) {
        return {DemStatus::bad_resolution};
    }
    return {};
}

DemResult scan_profiles(DemSource& source, const DemHeader& header, bool suppress_progress,
                        DemLimits& limits, ProfileCells* keep) {
    TextReader& in = *source.in;
    DemLimits found;
    found.x_min = LARGEST_DOUBLE;
    found.y_min = LARGEST_DOUBLE;
    // The largest X and Y start below every coordinate, negative ones
    // included (west of Greenwich, south of the equator).
    found.x_max = -LARGEST_DOUBLE;
    found.y_max = -LARGEST_DOUBLE;
    limits.largest_count = 0;
    // A file that ends with its Type A record has no profile to read: with
    // profiles announced, the first of them is the one missing; without, the
    // scan delivers its start values.
    if (skip_to_next_record(in) != RecordStatus::at_record) {
        if (header.profile_columns > 0) {
            return {DemStatus::cannot_read_profile, 1};
        }
        limits.x_min = found.x_min;
        limits.y_min = found.y_min;
        limits.x_max = found.x_max;
        limits.y_max = found.y_max;
        return {};
    }
    if (!suppress_progress) {
        print_info(format_text("Scanning DEM file to determine data limits...profile       of %5i",
                               header.profile_columns));
        print_info("\b\b\b\b\b\b\b\b\b");
    }
    const auto fail = [&](std::int32_t profile_number) {
        if (!suppress_progress) {
            print_info(CLEAR_PROGRESS_LINE);
        }
        return DemResult{DemStatus::cannot_read_profile, profile_number};
    };
    DemProfile profile;
    for (std::int32_t i = 1; i <= header.profile_columns; ++i) {
        if (i % 10 == 0 && !suppress_progress) {
            print_info(format_text("\b\b\b\b\b%5li", static_cast<long>(i)));
        }
        if (read_profile_header(in, profile) != DemStatus::ok) {
            return fail(i);
        }
        widen_limits(found, profile.x_start, profile.y_start);
        limits.largest_count = std::max(limits.largest_count, profile.elevation_count);
        const double x_end =
            profile.x_start + (static_cast<double>(profile.elevation_columns) - 1) *
                                  static_cast<double>(header.x_resolution);
        const double y_end = profile.y_start + (static_cast<double>(profile.elevation_count) - 1) *
                                                   static_cast<double>(header.y_resolution);
        widen_limits(found, x_end, y_end);
        if (keep != nullptr) {
            if (read_profile_elevations(in, profile) != DemStatus::ok) {
                return fail(i);
            }
            keep->add(profile);
        } else if (skip_profile_elevations(in, profile) != DemStatus::ok) {
            return fail(i);
        }
        // A file that ends here fails at the next profile header, if another
        // profile is announced.
        (void)skip_to_next_record(in);
    }
    if (!suppress_progress) {
        print_info(CLEAR_PROGRESS_LINE);
    }
    limits.x_min = found.x_min;
    limits.y_min = found.y_min;
    limits.x_max = found.x_max;
    limits.y_max = found.y_max;
    return {};
}

DemResult grid_extent(const DemHeader& header, const DemLimits& limits,
                      std::optional<std::uint64_t> source_size, DemExtent& extent) {
    const double x_spacing = static_cast<double>(header.x_resolution);
    const double y_spacing = static_cast<double>(header.y_resolution);
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    if (!grid_line_count(limits.x_max - limits.x_min, x_spacing, columns) ||
        !grid_line_count(limits.y_max - limits.y_min, y_spacing, rows)) {
        return {DemStatus::extent_too_large};
    }
    const std::int32_t column_count = std::max(header.profile_columns, columns);
    const std::int32_t row_count = std::max(limits.largest_count, rows);
    if (absurd_extent(column_count, row_count, source_size)) {
        return {DemStatus::extent_too_large};
    }
    extent.x_min = limits.x_min;
    extent.y_min = limits.y_min;
    extent.rotation = header.rotation;
    extent.x_spacing = x_spacing;
    extent.y_spacing = y_spacing;
    extent.column_count = column_count;
    extent.row_count = row_count;
    return {};
}

DemResult compute_dem_extent(const std::string& source_path, bool suppress_progress,
                             DemHeader& header, DemExtent& extent) {
    DemSource source;
    DemLimits limits;
    DemResult result = open_dem(source_path, source, header);
    if (result.ok()) {
        result = scan_profiles(source, header, suppress_progress, limits, nullptr);
    }
    if (result.ok()) {
        result = grid_extent(header, limits, source.size, extent);
    }
    return result;
}

} // namespace taverlin
