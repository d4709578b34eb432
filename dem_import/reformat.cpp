#include "dem_import/reformat.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cli/console.hpp"
#include "dem_import/dem_profile.hpp"
#include "dem_import/profile_progress.hpp"
#include "dtmfile/conventions.hpp"
#include "dtmfile/units.hpp"
#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

using textscan::TextReader;

dtm::DtmHeader assemble_dtm_header(const DemExtent& extent, const DemHeader& dem,
                                   const std::string& description, const DemRunSettings& settings) {
    const dtm::WriterConvention& convention = dtm::convention_of(dtm::Writer::taverlin);
    dtm::DtmHeader header;
    dtm::set_dtm_signature(header);
    dtm::set_dtm_description(header, description);
    header.version = convention.version;
    header.x_origin = extent.x_min;
    header.y_origin = extent.y_min;
    header.z_min = 0.0;
    header.z_max = 0.0;
    header.rotation = extent.rotation;
    header.x_spacing = extent.x_spacing;
    header.y_spacing = extent.y_spacing;
    header.column_count = extent.column_count;
    header.row_count = extent.row_count;
    header.xy_units =
        dtm::dtm_unit_code(settings.output_xy_unit.value_or(settled_unit(dem.planimetric_units)));
    header.z_units =
        dtm::dtm_unit_code(settings.output_z_unit.value_or(settled_unit(dem.elevation_units)));
    header.data_type = convention.data_type;
    header.coord_system = static_cast<std::int16_t>(dem.reference_system);
    header.coord_zone = static_cast<std::int16_t>(dem.reference_zone);
    return header;
}

dtm::Unit settled_unit(std::int32_t dem_code) {
    return dtm::unit_from_dem_code(dem_code).value_or(dtm::Unit::feet);
}

UnitFactors apply_unit_factors(const DemHeader& dem, dtm::DtmHeader& header) {
    const auto dtm_unit = [](std::int16_t code) {
        return dtm::unit_from_dtm_code(code).value_or(dtm::Unit::feet);
    };
    UnitFactors factors;
    factors.planimetric =
        dtm::unit_factor(settled_unit(dem.planimetric_units), dtm_unit(header.xy_units));
    factors.elevation =
        dtm::unit_factor(settled_unit(dem.elevation_units), dtm_unit(header.z_units));
    header.x_origin *= factors.planimetric;
    header.y_origin *= factors.planimetric;
    header.x_spacing *= factors.planimetric;
    header.y_spacing *= factors.planimetric;
    return factors;
}

namespace {

// Leading voids of a profile: truncate((y_start - y_min) / resolution), none
// when that is 0 or less, and at most the column's length.
std::int32_t leading_void_count(double y_start, double y_min, float y_resolution,
                                std::int32_t row_count) {
    const double rows = (y_start - y_min) / static_cast<double>(y_resolution);
    return std::clamp(dtm::truncate_to_int32(rows), 0, row_count);
}

// One column: voids below the profile, its cells (cut, so that the column
// holds exactly row_count cells), voids above it.
void write_column(double y_start, std::span<const std::int16_t> cells, const DemExtent& extent,
                  const DemHeader& dem, dtm::DtmWriter& writer, dtm::RecordedRange& range) {
    const double void_cell = dtm::convention_of(dtm::Writer::taverlin).void_value;
    const std::int32_t leading =
        leading_void_count(y_start, extent.y_min, dem.y_resolution, extent.row_count);
    const auto room = static_cast<std::size_t>(extent.row_count - leading);
    const std::span<const std::int16_t> placed = cells.first(std::min(cells.size(), room));
    writer.put_repeated(void_cell, static_cast<std::size_t>(leading));
    writer.put_cells(placed);
    writer.put_repeated(void_cell, room - placed.size());
    range.add(placed);
}

} // namespace

DemResult reformat_profiles(DemSource& source, const DemExtent& extent, const DemHeader& dem,
                            const ProfileCells* kept, double elevation_factor,
                            cli::Reporter* console, dtm::DtmWriter& writer) {
    TextReader& in = *source.in;
    const std::size_t stored = kept != nullptr ? kept->size() : 0;
    if (kept == nullptr) {
        // Nothing kept: the profiles are read again from the first, found
        // as the scan finds it, past the Type A record's fields whatever
        // its free text holds.
        DemHeader type_a;
        if (read_dem_header(in, type_a) != DemStatus::ok ||
            skip_to_next_record(in) != RecordStatus::at_record) {
            return {DemStatus::cannot_read_source};
        }
    }
    ProfileProgress progress(console, "Reformatting DEM file", extent.column_count);
    const auto fail = [&progress](DemResult result) {
        progress.clear();
        return result;
    };

    const double z_resolution = static_cast<double>(dem.z_resolution);
    dtm::RecordedRange range(dtm::convention_of(dtm::Writer::taverlin));
    DemProfile profile;
    std::vector<std::int16_t> cells;
    for (std::int32_t p = 1; p <= extent.column_count; ++p) {
        progress.reached(p);
        const auto index = static_cast<std::size_t>(p - 1);
        if (index < stored) {
            write_column(kept->y_start(index), kept->cells(index), extent, dem, writer, range);
        } else {
            if (read_profile_header(in, profile) != DemStatus::ok ||
                read_profile_elevations(in, profile) != DemStatus::ok) {
                return fail({DemStatus::cannot_read_profile, p});
            }
            cells.resize(profile.elevations.size());
            profile_cells(profile, z_resolution, elevation_factor, cells);
            write_column(profile.y_start, cells, extent, dem, writer, range);
            // A file that ends here fails at the next profile header, if
            // another profile is expected.
            (void)skip_to_next_record(in);
        }
        if (writer.failed()) {
            return fail({DemStatus::cannot_write_destination});
        }
    }
    if (writer.flush() != dtm::WriteStatus::ok) {
        return fail({DemStatus::cannot_write_destination});
    }
    progress.clear();
    writer.set_elevation_range(range.minimum(), range.maximum());
    return {};
}

} // namespace taverlin
