#include "dem_profile.hpp"

#include <algorithm>
#include <new>

#include "dem_header.hpp"

int read_profile_header(std::FILE* stream, DemProfile& profile) {
    if (!read_dem_integer(stream, profile.row_id) || !read_dem_integer(stream, profile.column_id) ||
        !read_dem_integer(stream, profile.elevation_count) ||
        !read_dem_integer(stream, profile.elevation_columns) ||
        read_dem_double(stream, profile.x_start) != 1 ||
        read_dem_double(stream, profile.y_start) != 1 ||
        read_dem_double(stream, profile.datum_elevation) != 1 ||
        read_dem_double(stream, profile.min_elevation) != 1 ||
        read_dem_double(stream, profile.max_elevation) != 1) {
        return 1;
    }
    return 0;
}

int read_profile_elevations(std::FILE* stream, DemProfile& profile) {
    profile.elevations.clear();
    if (profile.elevation_count < 0) {
        return 1;
    }
    const auto count = static_cast<std::size_t>(profile.elevation_count);
    try {
        profile.elevations.reserve(std::min<std::size_t>(count, 1u << 16));
        for (std::size_t i = 0; i < count; ++i) {
            int value = 0;
            if (std::fscanf(stream, "%i", &value) != 1) {
                return 1;
            }
            profile.elevations.push_back(value);
        }
    } catch (const std::bad_alloc&) {
        return 1;
    }
    return 0;
}

void free_profile_elevations(DemProfile& profile) {
    profile.elevations.clear();
}

int skip_to_next_record(std::FILE* stream) {
    const off_t position = ftello(stream);
    if (position < 0) {
        return 1;
    }
    const long distance = DEM_RECORD_LENGTH - static_cast<long>(position % DEM_RECORD_LENGTH);
    long consumed = 0;
    while (consumed < distance) {
        const int c = std::fgetc(stream);
        if (c == EOF) {
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
        const int c = std::fgetc(stream);
        if (c == EOF) {
            return 1;
        }
        if (c < 1 || c > 31) {
            std::ungetc(c, stream);
            return 0;
        }
    }
}
