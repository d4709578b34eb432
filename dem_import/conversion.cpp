#include "dem_import/conversion.hpp"

#include <string>

#include "cli/console.hpp"
#include "dem_import/dem_extent.hpp"
#include "dem_import/profile_cells.hpp"
#include "dem_import/reformat.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "dtmfile_io/file_sink.hpp"
#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

using cli::print_error;
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

bool validate_source_units(const DemHeader& header, cli::Reporter& console) {
    if (!valid_unit(header.planimetric_units)) {
        console.error("Planimetric units must be either feet (code = 1) or meters (code = 2)");
        return false;
    }
    if (!valid_unit(header.elevation_units)) {
        console.error("Elevation units must be either feet (code = 1) or meters (code = 2)");
        return false;
    }
    return true;
}

dtm::Unit prompt_for_unit(bool planimetric, dtm::Unit fallback, cli::Reporter& console) {
    console.info(
        planimetric ? "Planimetric measurement units for source USGS DEM file? [F]eet or [M]eters\r"
                    : "Elevation measurement units for source USGS DEM file? [F]eet or [M]eters");
    const std::string blank_line = std::string(76, ' ') + "\r";
    for (;;) {
        auto key = console.read_key();
        if (key && *key == 0) {
            // A key without a character of its own: its second code is
            // taken above 255 and so never answers the question.
            key = console.read_key();
            if (key) {
                *key += 256;
            }
        }
        if (!key) {
            console.info(blank_line);
            console.error(format_text("End of input: %s units taken as %s (code = %i)",
                                      planimetric ? "planimetric" : "elevation",
                                      unit_word(fallback), dtm::dem_unit_code(fallback)));
            return fallback;
        }
        const int code = upper_key(*key);
        if (code == 'F' || code == 'M') {
            console.info(blank_line);
            return code == 'F' ? dtm::Unit::feet : dtm::Unit::meters;
        }
    }
}

void settle_source_units(const DemRunSettings& settings, DemHeader& header,
                         cli::Reporter& console) {
    if (validate_source_units(header, console)) {
        return;
    }
    if (settings.prompt_for_units) {
        if (!valid_unit(header.planimetric_units)) {
            header.planimetric_units =
                dtm::dem_unit_code(prompt_for_unit(true, settings.fallback_xy_unit, console));
        }
        if (!valid_unit(header.elevation_units)) {
            header.elevation_units =
                dtm::dem_unit_code(prompt_for_unit(false, settings.fallback_z_unit, console));
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
                       const dtm::DtmHeader& dtm, cli::Reporter& console) {
    const auto dtm_unit = [](std::int16_t code) {
        return dtm::unit_name(dtm::unit_from_dtm_code(code).value_or(dtm::Unit::feet));
    };
    console.info(format_text("Source USGS DEM file: %s\n", settings.source_path.c_str()));
    console.info(format_text("Destination DTM file: %s\n", settings.dest_path.c_str()));
    console.info(format_text("USGS DEM header information written to: %s\n\n",
                             settings.report_path.c_str()));
    console.info(format_text("Source USGS DEM units...planimetric: %s  elevation: %s\n",
                             dtm::unit_name(settled_unit(dem.planimetric_units)),
                             dtm::unit_name(settled_unit(dem.elevation_units))));
    console.info(format_text("Destination DTM units...planimetric: %s  elevation: %s\n\n",
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

DemResult convert_dem(DemRunSettings& settings, const DemOutputs& out) {
    DemSource source;
    DemHeader dem;
    if (const DemResult opened = open_dem(settings.source_path, source, dem); !opened.ok()) {
        return opened;
    }
    source.split_from_bytes = settings.split_from_bytes;
    cli::Reporter* const progress = settings.suppress_progress ? nullptr : &out.console;
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
            scan_profiles(source, dem, progress, limits, kept ? &*kept : nullptr);
        !scanned.ok()) {
        return scanned;
    }
    if (const DemResult grid = grid_extent(dem, limits, source.size, extent); !grid.ok()) {
        return grid;
    }

    settle_source_units(settings, dem, out.console);
    const std::string description = build_dem_description(dem);
    dtm::DtmHeader header = assemble_dtm_header(extent, dem, description, settings);
    const UnitFactors factors = apply_unit_factors(dem, header);
    if (const DemResult reported = write_header_report(out.report, dem); !reported.ok()) {
        return reported;
    }
    print_run_summary(settings, dem, header, out.console);

    // The header now, the cells column by column, the header again with the
    // elevation range; the DTM is kept only when complete.
    dtm::DtmWriter writer(header);
    if (writer.start(out.dtm) != dtm::WriteStatus::ok) {
        return {DemStatus::cannot_write_destination};
    }
    if (const DemResult reformatted = reformat_profiles(
            source, extent, dem, kept ? &*kept : nullptr, factors.elevation, progress, writer);
        !reformatted.ok()) {
        return reformatted;
    }
    if (writer.finish() != dtm::WriteStatus::ok || !out.dtm.commit()) {
        return {DemStatus::cannot_write_destination};
    }
    out.console.info("Format conversion complete\n\n");
    return {};
}

DemResult convert_dem_file(DemRunSettings& settings) {
    settings.report_path = derive_report_path(settings.dest_path, settings.batch_mode);
    dtm::FileSink dtm(settings.dest_path);
    dtm::FileSink report(settings.report_path);
    cli::ConsoleReporter console;
    return convert_dem(settings, {dtm, report, console});
}

} // namespace taverlin
