#include "dem_import/dem_profile.hpp"

#include <algorithm>
#include <new>

#include "dem_import/dem_header.hpp"
#include "textscan/number_scan.hpp"

namespace taverlin {

using textscan::ScanStatus;
using textscan::TextReader;

namespace {

constexpr DemStatus unreadable = DemStatus::cannot_read_profile;

bool read(ScanStatus status) {
    return status == ScanStatus::ok;
}

} // namespace

DemStatus read_profile_header(TextReader& in, DemProfile& profile) {
    if (!read(read_dem_integer(in, profile.row_id)) ||
        !read(read_dem_integer(in, profile.column_id)) ||
        !read(read_dem_integer(in, profile.elevation_count)) ||
        !read(read_dem_integer(in, profile.elevation_columns)) ||
        !read(read_dem_double(in, profile.x_start)) ||
        !read(read_dem_double(in, profile.y_start)) ||
        !read(read_dem_double(in, profile.datum_elevation)) ||
        !read(read_dem_double(in, profile.min_elevation)) ||
        !read(read_dem_double(in, profile.max_elevation))) {
        return unreadable;
    }
    return DemStatus::ok;
}

DemStatus read_profile_elevations(TextReader& in, DemProfile& profile) {
    profile.elevations.clear();
    if (profile.elevation_count < 0) {
        return unreadable;
    }
    const auto count = static_cast<std::size_t>(profile.elevation_count);
    try {
        profile.elevations.reserve(std::min<std::size_t>(count, 1u << 16));
        if (!read(textscan::scan_integers(in, count, profile.elevations))) {
            return unreadable;
        }
    } catch (const std::bad_alloc&) {
        return unreadable;
    }
    return DemStatus::ok;
}

DemStatus skip_profile_elevations(TextReader& in, const DemProfile& profile) {
    if (profile.elevation_count < 0 ||
        !read(textscan::skip_integers(in, static_cast<std::size_t>(profile.elevation_count)))) {
        return unreadable;
    }
    return DemStatus::ok;
}

void free_profile_elevations(DemProfile& profile) {
    profile.elevations.clear();
}

RecordStatus skip_to_next_record(TextReader& in) {
    const std::int64_t distance = DEM_RECORD_LENGTH - in.tell() % DEM_RECORD_LENGTH;
    std::int64_t consumed = 0;
    while (consumed < distance) {
        const int c = in.get();
        if (c == TextReader::END) {
            return RecordStatus::end_of_file;
        }
        ++consumed;
        if (c < 0x20) {
            break;
        }
    }
    if (consumed == distance) {
        return RecordStatus::at_record;
    }
    // A line end (or another control character) cut the record short: pass
    // every control character after it and stop on the next record's first byte.
    for (;;) {
        const int c = in.get();
        if (c == TextReader::END) {
            return RecordStatus::end_of_file;
        }
        if (c < 1 || c > 31) {
            in.unget();
            return RecordStatus::at_record;
        }
    }
}

} // namespace taverlin
