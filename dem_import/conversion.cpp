#include "dem_import/conversion.hpp"

#include <string>

#include "cli/console.hpp"
#include "cli/platform.hpp"
#include "dem_import/dem_extent.hpp"
#include "dem_import/profile_cells.hpp"
#include "dem_import/reformat.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

using cli::print_error;
using cli::print_info;
using textscan::format_text;

std::string derive_report_path(const std::string& dest_path, bool batch_mode) {
    platform::PathParts parts = platform::split_path(dest_path);
    parts.extension = ".HDR";
    const std::string path = platform::join_path(parts);
    return batch_mode ? platform::to_upper_ascii(path) : path;
}

namespace {

// Names compared as a case-insensitive file system compares them, and files
// compared by identity on disk, so that a link counts too.
bool same_name(const std::string& a, const std::string& b) {
    return platform::to_lower_ascii(a) == platform::to_lower_ascii(b) || platform::same_file(a, b);
}

} // namespace

bool check_report_path(const std::string& source_path, const std::string& dest_path,
                       const std::string& report_path) {
    if (same_name(report_path, source_path)) {
        print_error("Source file name and destination file name cannot be the same");
        return false;
    }
    if (same_name(report_path, dest_path)) {
        print_error(format_text("Destination file name cannot be the name of the header report: %s",
                                dest_path.c_str()));
        return false;
    }
    return true;
}

namespace {

bool valid_unit(int code) {
    return dtm::unit_from_dem_code(code).has_value();
}

const char* unit_word(dtm::Unit unit) {
    return unit == dtm::Unit::meters ? "meters" : "feet";
}

// Upper case of an ASCII letter; codes of 256 and more stay as they are.
int upper_key(int code) {
    return (code >= 'a' && code <= 'z') ? code - 'a' + 'A' : code;
}

} // namespace

bool validate_source_units(const DemHeader& header) {
    if (!valid_unit(header.planimetric_units)) {
        print_error("Planimetric units must be either feet (code = 1) or meters (code = 2)");
        return false;
    }
    if (!valid_unit(header.elevation_units)) {
        print_error("Elevation units must be either feet (code = 1) or meters (code = 2)");
        return false;
    }
    return true;
}

dtm::Unit prompt_for_unit(bool planimetric, dtm::Unit fallback) {
    print_info(planimetric
                   ? "Planimetric measurement units for source USGS DEM file? [F]eet or [M]eters\r"
                   : "Elevation measurement units for source USGS DEM file? [F]eet or [M]eters");
    const std::string blank_line = std::string(76, ' ') + "\r";
    for (;;) {
        auto key = platform::read_console_key();
        if (key && *key == 0) {
            // A key without a character of its own: its second code is
            // taken above 255 and so never answers the question.
            key = platform::read_console_key();
            if (key) {
                *key += 256;
            }
        }
        if (!key) {
            print_info(blank_line);
            print_error(format_text("End of input: %s units taken as %s (code = %i)",
                                    planimetric ? "planimetric" : "elevation", unit_word(fallback),
                                    dtm::dem_unit_code(fallback)));
            return fallback;
        }
        const int code = upper_key(*key);
        if (code == 'F' || code == 'M') {
            print_info(blank_line);
            return code == 'F' ? dtm::Unit::feet : dtm::Unit::meters;
        }
    }
}

void settle_source_units(const DemRunSettings& settings, DemHeader& header) {
    if (validate_source_units(header)) {
        return;
    }
    if (settings.prompt_for_units) {
        if (!valid_unit(header.planimetric_units)) {
            header.planimetric_units =
                dtm::dem_unit_code(prompt_for_unit(true, settings.fallback_xy_unit));
        }
        if (!valid_unit(header.elevation_units)) {
            header.elevation_units =
                dtm::dem_unit_code(prompt_for_unit(false, settings.fallback_z_unit));
        }
        return;
    }
    // Without the question only the invalid code takes its fallback.
    if (!valid_unit(header.planimetric_units)) {
        header.planimetric_units = dtm::dem_unit_code(settings.fallback_xy_unit);
    }
    if (!valid_unit(header.elevation_units)) {
        header.elevation_units = dtm::dem_unit_code(settings.fallback_z_unit);
    }
}

namespace {

void print_run_summary(const DemRunSettings& settings, const DemHeader& dem,
                       const dtm::DtmHeader& dtm) {
    const auto dtm_unit = [](std::int16_t code) {
        return dtm::unit_name(dtm::unit_from_dtm_code(code).value_or(dtm::Unit::feet));
    };
    print_info(format_text("Source USGS DEM file: %s\n", settings.source_path.c_str()));
    print_info(format_text("Destination DTM file: %s\n", settings.dest_path.c_str()));
    print_info(format_text("USGS DEM header information written to: %s\n\n",
                           settings.report_path.c_str()));
    print_info(format_text("Source USGS DEM units...planimetric: %s  elevation: %s\n",
                           dtm::unit_name(settled_unit(dem.planimetric_units)),
                           dtm::unit_name(settled_unit(dem.elevation_units))));
    print_info(format_text("Destination DTM units...planimetric: %s  elevation: %s\n\n",
                           dtm_unit(dtm.xy_units), dtm_unit(dtm.z_units)));
}

} // namespace

std::optional<double> elevation_factor_before_settling(const DemRunSettings& settings,
                                                       const DemHeader& header) {
    std::optional<dtm::Unit> source = dtm::unit_from_dem_code(header.elevation_units);
    if (!source) {
        if (settings.prompt_for_units) {
            return std::nullopt; // the answer to the question decides
        }
        source = settings.fallback_z_unit;
    }
    return dtm::unit_factor(*source, settings.output_z_unit.value_or(*source));
}

DemResult convert_dem_file(DemRunSettings& settings) {
    const std::string& source_path = settings.source_path;
    const std::string& dest = settings.dest_path;
    DemSource source;
    DemHeader dem;
    if (const DemResult opened = open_dem(source_path, source, dem); !opened.ok()) {
        return opened;
    }
    // The scan converts and keeps every profile's cells when the elevation
    // factor is known before the units are settled, which is always but
    // for the /V question; then the DEM is read once.
    std::optional<ProfileCells> kept;
    if (const auto factor = elevation_factor_before_settling(settings, dem)) {
        kept.emplace(static_cast<double>(dem.z_resolution), *factor);
    }
    DemLimits limits;
    DemExtent extent;
    if (const DemResult scanned =
            scan_profiles(source, dem, settings.suppress_progress, limits, kept ? &*kept : nullptr);
        !scanned.ok()) {
        return scanned;
    }
    if (const DemResult grid = grid_extent(dem, limits, source.size, extent); !grid.ok()) {
        return grid;
    }

    settle_source_units(settings, dem);
    const std::string description = build_dem_description(dem);
    dtm::DtmHeader header = assemble_dtm_header(extent, dem, description, settings);
    const UnitFactors factors = apply_unit_factors(dem, header);
    settings.report_path = derive_report_path(dest, settings.batch_mode);
    if (const DemResult reported = write_header_report(settings.report_path, dem); !reported.ok()) {
        return reported;
    }
    print_run_summary(settings, dem, header);

    // One writer for the whole file: the header now, the cells column by
    // column, the header again with the elevation range; removed unless
    // complete.
    dtm::DtmFileWriter writer(header);
    if (writer.create(dest) != dtm::WriteStatus::ok) {
        return {DemStatus::cannot_write_destination};
    }
    if (const DemResult reformatted =
            reformat_profiles(source, extent, dem, kept ? &*kept : nullptr, factors.elevation,
                              settings.suppress_progress, writer);
        !reformatted.ok()) {
        return reformatted;
    }
    if (writer.commit() != dtm::WriteStatus::ok) {
        return {DemStatus::cannot_write_destination};
    }
    print_info("Format conversion complete\n\n");
    return {};
}

} // namespace taverlin
