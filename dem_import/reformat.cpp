#include "dem_import/reformat.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cli/console.hpp"
#include "cli/platform.hpp"
#include "dem_import/dem_profile.hpp"
#include "dem_import/dem_status.hpp"
#include "dtmfile/cell_writer.hpp"
#include "dtmfile/units.hpp"

int assemble_dtm_header(const DemExtent& extent, const DemHeader& dem,
                        const std::string& description, const DemRunSettings& settings,
                        DtmHeader& header) {
    set_dtm_signature(header);
    set_dtm_description(header, description);
    header.version = 2.0f;
    header.x_origin = extent.x_min;
    header.y_origin = extent.y_min;
    header.z_min = 0.0;
    header.z_max = 0.0;
    header.rotation = extent.rotation;
    header.x_spacing = extent.x_spacing;
    header.y_spacing = extent.y_spacing;
    header.column_count = extent.column_count;
    header.row_count = extent.row_count;
    const int xy_unit =
        settings.output_xy_unit != 0 ? settings.output_xy_unit : dem.planimetric_units;
    const int z_unit = settings.output_z_unit != 0 ? settings.output_z_unit : dem.elevation_units;
    header.xy_units = static_cast<std::int16_t>(xy_unit - 1);
    header.z_units = static_cast<std::int16_t>(z_unit - 1);
    header.data_type = DTM_INT16;
    header.coord_system = static_cast<std::int16_t>(dem.reference_system);
    header.coord_zone = static_cast<std::int16_t>(dem.reference_zone);
    return 0;
}

UnitFactors apply_unit_factors(const DemHeader& dem, DtmHeader& header) {
    UnitFactors factors;
    factors.planimetric = unit_factor(dem.planimetric_units - 1, header.xy_units);
    factors.elevation = unit_factor(dem.elevation_units - 1, header.z_units);
    header.x_origin *= factors.planimetric;
    header.y_origin *= factors.planimetric;
    header.x_spacing *= factors.planimetric;
    header.y_spacing *= factors.planimetric;
    return factors;
}

namespace {

std::int32_t truncate_to_int32(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(x);
}

const char* const CLEAR_PROGRESS_LINE =
    "\r                                                                      \r";

// Leading voids of a profile: truncate((y_start - y_min) / resolution), none
// when that is 0 or less, and at most the column's length.
std::int32_t leading_void_count(double y_start, double y_min, float y_resolution,
                                std::int32_t row_count) {
    const std::int32_t rows =
        truncate_to_int32((y_start - y_min) / static_cast<double>(y_resolution));
    return std::clamp(rows, 0, row_count);
}

struct ElevationRange {
    double minimum = std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::min();
};

} // namespace

double dtm_cell_value(int data_type, double x) {
    switch (data_type) {
    case DTM_INT16:
        return static_cast<double>(static_cast<std::int16_t>(truncate_to_int32(x)));
    case DTM_INT32:
        return static_cast<double>(truncate_to_int32(x));
    case DTM_FLOAT32:
        return static_cast<double>(to_float32(x));
    default:
        return x;
    }
}

int reformat_profiles(const std::string& source_path, const std::string& dest_path,
                      const DemExtent& extent, const DemHeader& dem, double elevation_factor,
                      bool suppress_progress, DtmHeader& header, int& failed_profile) {
    failed_profile = 0;
    platform::UniqueFile source = platform::open_read_stream(source_path, "rb");
    if (!source) {
        return DEM_CANNOT_OPEN_SOURCE;
    }
    platform::UniqueFile dest = platform::open_write_stream(dest_path, "rb+");
    if (!dest) {
        return DEM_CANNOT_OPEN_DESTINATION;
    }
    // The first profile follows the Type A record, found as the scan finds
    // it: past the record's fields, whatever its free text holds, then on
    // to the next record.
    TextReader in(source.get());
    DemHeader type_a;
    if (read_dem_header(in, type_a) != 0 || skip_to_next_record(in) != 0) {
        return DEM_CANNOT_READ_SOURCE;
    }
    if (std::fseek(dest.get(), static_cast<long>(DTM_DATA_OFFSET), SEEK_SET) != 0) {
        return DEM_CANNOT_WRITE_DESTINATION;
    }
    if (!suppress_progress) {
        print_info(format_text("Reformatting DEM file...profile       of %5li",
                               static_cast<long>(extent.column_count)));
        print_info("\b\b\b\b\b\b\b\b\b");
    }
    const auto fail = [&](int status, int profile_number) {
        if (!suppress_progress) {
            print_info(CLEAR_PROGRESS_LINE);
        }
        failed_profile = profile_number;
        return status;
    };

    const int data_type = header.data_type;
    const double void_cell = -1.0;
    const double z_resolution = static_cast<double>(dem.z_resolution);
    DtmCellWriter cells(dest.get(), data_type);
    ElevationRange range;
    DemProfile profile;
    for (std::int32_t p = 1; p <= extent.column_count; ++p) {
        if (p % 10 == 0 && !suppress_progress) {
            print_info(format_text("\b\b\b\b\b%5li", static_cast<long>(p)));
        }
        if (read_profile_header(in, profile) != 0) {
            return fail(DEM_CANNOT_READ_SOURCE, p);
        }
        const std::int32_t leading =
            leading_void_count(profile.y_start, extent.y_min, dem.y_resolution, extent.row_count);
        for (std::int32_t i = 0; i < leading; ++i) {
            cells.put(void_cell);
        }
        if (read_profile_elevations(in, profile) != 0) {
            return fail(DEM_CANNOT_READ_SOURCE, p);
        }
        // A profile longer than the room left in its column is cut, so
        // that every column holds exactly row_count cells.
        std::int64_t written = leading;
        for (const std::int32_t raw : profile.elevations) {
            if (written >= extent.row_count) {
                break;
            }
            const double v = static_cast<double>(raw) * z_resolution + profile.datum_elevation;
            ++written;
            // Below 0 is a void, stored as the void value in every unit.
            if (v < 0.0) {
                cells.put(void_cell);
                continue;
            }
            const double stored = dtm_cell_value(data_type, elevation_factor * v);
            cells.put(stored);
            const bool positive =
                data_type == DTM_INT16 || data_type == DTM_INT32 ? stored >= 1.0 : stored > 0.0;
            if (positive) {
                if (stored < range.minimum) {
                    range.minimum = stored;
                }
                if (stored > range.maximum) {
                    range.maximum = stored;
                }
            }
        }
        for (; written < extent.row_count; ++written) {
            cells.put(void_cell);
        }
        if (cells.failed()) {
            return fail(DEM_CANNOT_WRITE_DESTINATION, 0);
        }
        free_profile_elevations(profile);
        skip_to_next_record(in);
    }
    source.reset();
    if (!cells.flush() || !platform::close_file(dest)) {
        return fail(DEM_CANNOT_WRITE_DESTINATION, 0);
    }
    if (!suppress_progress) {
        print_info(CLEAR_PROGRESS_LINE);
    }
    header.z_min = range.minimum;
    header.z_max = range.maximum;
    return DEM_OK;
}
