#include "dem_import/dem_extent.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "cli/console.hpp"
#include "dem_import/dem_profile.hpp"
#include "dem_import/profile_progress.hpp"
#include "platform/platform.hpp"
#include "textscan/second_half.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

using textscan::TextReader;

namespace {

constexpr double LARGEST_DOUBLE = std::numeric_limits<double>::max();

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
    source.path = source_path;
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

namespace {

// What one profile adds to the extent: its start and end points and its
// elevation count.
struct ProfileReach {
    double x_start = 0.0;
    double y_start = 0.0;
    double x_end = 0.0;
    double y_end = 0.0;
    std::int32_t count = 0;
};

void widen_limits(DemLimits& limits, const ProfileReach& reach) {
    widen_limits(limits, reach.x_start, reach.y_start);
    limits.largest_count = std::max(limits.largest_count, reach.count);
    widen_limits(limits, reach.x_end, reach.y_end);
}

// One profile of the scan: its header and its elevations, passed over or
// converted and kept, then on to the next record.
bool scan_profile(TextReader& in, const DemHeader& header, DemProfile& profile, ProfileCells* keep,
                  ProfileReach& reach) {
    if (read_profile_header(in, profile) != DemStatus::ok) {
        return false;
    }
    reach.x_start = profile.x_start;
    reach.y_start = profile.y_start;
    reach.count = profile.elevation_count;
    reach.x_end = profile.x_start + (static_cast<double>(profile.elevation_columns) - 1) *
                                        static_cast<double>(header.x_resolution);
    reach.y_end = profile.y_start + (static_cast<double>(profile.elevation_count) - 1) *
                                        static_cast<double>(header.y_resolution);
    if (keep != nullptr) {
        if (read_profile_elevations(in, profile) != DemStatus::ok) {
            return false;
        }
        keep->add(profile);
    } else if (skip_profile_elevations(in, profile) != DemStatus::ok) {
        return false;
    }
    // A file that ends here fails at the next profile header, if another
    // profile is announced.
    (void)skip_to_next_record(in);
    return true;
}

// The second half starts at the first record past the middle that looks like
// a profile's start; none when there is none nearby.
bool to_profile_start(TextReader& in) {
    DemProfile profile;
    for (int tries = 0; tries < 64; ++tries) {
        if (skip_to_next_record(in) != RecordStatus::at_record) {
            return false;
        }
        const std::int64_t position = in.tell();
        if (read_profile_header(in, profile) == DemStatus::ok && profile.row_id == 1 &&
            profile.elevation_columns == 1 && profile.elevation_count >= 0 && in.seek(position)) {
            return true;
        }
        if (!in.seek(position)) {
            return false;
        }
    }
    return false;
}

} // namespace

DemResult scan_profiles(DemSource& source, const DemHeader& header, cli::Reporter* console,
                        DemLimits& limits, ProfileCells* keep) {
    TextReader& in = *source.in;
    DemLimits found;
    found.x_min = LARGEST_DOUBLE;
    found.y_min = LARGEST_DOUBLE;
    // The largest X and Y start below every coordinate, negative ones
    // included (west of Greenwich, south of the equator).
    found.x_max = -LARGEST_DOUBLE;
    found.y_max = -LARGEST_DOUBLE;
    // A file that ends with its Type A record has no profile to read: with
    // profiles announced, the first of them is the one missing; without, the
    // scan delivers its start values.
    if (skip_to_next_record(in) != RecordStatus::at_record) {
        if (header.profile_columns > 0) {
            return {DemStatus::cannot_read_profile, 1};
        }
        limits = found;
        return {};
    }
    ProfileProgress progress(console, "Scanning DEM file to determine data limits",
                             header.profile_columns);
    const auto counter = [&progress](std::int32_t i) { progress.reached(i); };
    const auto fail = [&progress](std::int32_t profile_number) {
        progress.clear();
        return DemResult{DemStatus::cannot_read_profile, profile_number};
    };

    std::vector<ProfileReach> reaches; // the second half's profiles
    std::vector<std::int64_t> ends;    // where reading stands after each
    std::optional<ProfileCells> cells;
    textscan::SecondHalf half;
    if (keep != nullptr && source.size && *source.size > source.split_from_bytes &&
        header.profile_columns > 1 && half.open(source.path, *source.size / 2, to_profile_start)) {
        cells.emplace(keep->converting_alike());
        half.run([&](TextReader& second, const std::stop_token& stop) {
            DemProfile profile;
            ProfileReach reach;
            while (std::ssize(reaches) < header.profile_columns && !stop.stop_requested() &&
                   scan_profile(second, header, profile, &*cells, reach)) {
                reaches.push_back(reach);
                ends.push_back(second.tell());
            }
        });
    }
    DemProfile profile;
    ProfileReach reach;
    for (std::int32_t i = 1; i <= header.profile_columns; ++i) {
        if (half.join_at(in.tell())) {
            // The second half's profiles are profiles i, i + 1, ...
            const auto needed = static_cast<std::size_t>(header.profile_columns - i) + 1;
            const std::size_t taken = std::min(needed, reaches.size());
            for (std::size_t j = 0; j < taken; ++j) {
                counter(i + static_cast<std::int32_t>(j));
                widen_limits(found, reaches[j]);
            }
            keep->append(std::move(*cells), taken);
            if (taken < needed) {
                const auto failed = i + static_cast<std::int32_t>(taken);
                counter(failed);
                return fail(failed);
            }
            if (!in.seek(ends[taken - 1])) {
                return fail(header.profile_columns);
            }
            break;
        }
        counter(i);
        if (!scan_profile(in, header, profile, keep, reach)) {
            return fail(i); // the second half, not needed, stops
        }
        widen_limits(found, reach);
    }
    progress.clear();
    limits = found;
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

} // namespace taverlin
