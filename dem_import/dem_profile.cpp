#include "dem_import/dem_profile.hpp"

#include <algorithm>
#include <new>

#include "dem_import/dem_header.hpp"
#include "textscan/number_scan.hpp"

int read_profile_header(TextReader& in, DemProfile& profile) {
    if (!read_dem_integer(in, profile.row_id) || !read_dem_integer(in, profile.column_id) ||
        !read_dem_integer(in, profile.elevation_count) ||
        !read_dem_integer(in, profile.elevation_columns) ||
        read_dem_double(in, profile.x_start) != 1 || read_dem_double(in, profile.y_start) != 1 ||
        read_dem_double(in, profile.datum_elevation) != 1 ||
        read_dem_double(in, profile.min_elevation) != 1 ||
        read_dem_double(in, profile.max_elevation) != 1) {
        return 1;
    }
    return 0;
}

int read_profile_elevations(TextReader& in, DemProfile& profile) {
    profile.elevations.clear();
    if (profile.elevation_count < 0) {
        return 1;
    }
    const auto count = static_cast<std::size_t>(profile.elevation_count);
    try {
        profile.elevations.reserve(std::min<std::size_t>(count, 1u << 16));
        if (scan_integers(in, count, profile.elevations) != SCAN_OK) {
            return 1;
        }
    } catch (const std::bad_alloc&) {
        return 1;
    }
    return 0;
}

int skip_profile_elevations(TextReader& in, const DemProfile& profile) {
    if (profile.elevation_count < 0) {
        return 1;
    }
    return skip_integers(in, static_cast<std::size_t>(profile.elevation_count)) == SCAN_OK ? 0 : 1;
}

void free_profile_elevations(DemProfile& profile) {
    profile.elevations.clear();
}

int skip_to_next_record(TextReader& in) {
    const std::int64_t distance = DEM_RECORD_LENGTH - in.tell() % DEM_RECORD_LENGTH;
    std::int64_t consumed = 0;
    while (consumed < distance) {
        const int c = in.get();
        if (c == TextReader::END) {
            return 1;
        }
        ++consumed;
        if (c < 0x20) {
            break;
        }
    }
    if (consumed == distance) {
        return 0;
    }
    // A line end (or another control character) cut the record short: pass
    // every control character after it and stop on the next record's first byte.
    for (;;) {
        const int c = in.get();
        if (c == TextReader::END) {
            return 1;
        }
        if (c < 1 || c > 31) {
            in.unget();
            return 0;
        }
    }
}
