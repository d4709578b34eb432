#include "dem_import/conversion.hpp"

#include <string>

#include "cli/console.hpp"
#include "cli/file_args.hpp"
#include "cli/platform.hpp"
#include "dem_import/dem_extent.hpp"
#include "dem_import/dem_status.hpp"
#include "dem_import/reformat.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/units.hpp"

std::string derive_report_path(const std::string& dest_path, bool batch_mode) {
    platform::PathParts parts = platform::split_path(dest_path);
    parts.extension = ".HDR";
    const std::string path = platform::join_path(parts);
    return batch_mode ? platform::to_upper_ascii(path) : path;
}

bool check_report_path(const std::string& source_path, const std::string& report_path) {
    if (report_path == source_path || platform::same_file(source_path, report_path)) {
        print_error("Source file name and destination file name cannot be the same");
        return false;
    }
    return true;
}

namespace {

bool valid_unit(int code) {
    return code == DEM_FEET || code == DEM_METERS;
}

const char* unit_word(int code) {
    return code == DEM_METERS ? "meters" : "feet";
}

// Upper case of an ASCII letter; codes of 256 and more stay as they are.
int upper_key(int code) {
    return (code >= 'a' && code <= 'z') ? code - 'a' + 'A' : code;
}

std::string message_with_path(const char* format, const std::string& path) {
    return format_text(format, path.c_str());
}

} // namespace

int validate_source_units(const DemHeader& header) {
    if (!valid_unit(header.planimetric_units)) {
        print_error("Planimetric units must be either feet (code = 1) or meters (code = 2)");
        return 1;
    }
    if (!valid_unit(header.elevation_units)) {
        print_error("Elevation units must be either feet (code = 1) or meters (code = 2)");
        return 1;
    }
    return 0;
}

int prompt_for_unit(bool planimetric, int fallback) {
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
                                    fallback));
            return fallback;
        }
        const int code = upper_key(*key);
        if (code == 'F' || code == 'M') {
            print_info(blank_line);
            return code == 'F' ? DEM_FEET : DEM_METERS;
        }
    }
}

void settle_source_units(const DemRunSettings& settings, DemHeader& header) {
    if (validate_source_units(header) == 0) {
        return;
    }
    if (settings.prompt_for_units) {
        if (!valid_unit(header.planimetric_units)) {
            header.planimetric_units = prompt_for_unit(true, settings.fallback_xy_unit);
        }
        if (!valid_unit(header.elevation_units)) {
            header.elevation_units = prompt_for_unit(false, settings.fallback_z_unit);
        }
        return;
    }
    header.planimetric_units = settings.fallback_xy_unit;
    header.elevation_units = settings.fallback_z_unit;
}

namespace {

void print_run_summary(const DemRunSettings& settings, const DemHeader& dem, const DtmHeader& dtm) {
    print_info(format_text("Source USGS DEM file: %s\n", settings.source_path.c_str()));
    print_info(format_text("Destination DTM file: %s\n", settings.dest_path.c_str()));
    print_info(format_text("USGS DEM header information written to: %s\n\n",
                           settings.report_path.c_str()));
    print_info(format_text("Source USGS DEM units...planimetric: %s  elevation: %s\n",
                           dtm_unit_name(dem.planimetric_units - 1),
                           dtm_unit_name(dem.elevation_units - 1)));
    print_info(format_text("Destination DTM units...planimetric: %s  elevation: %s\n\n",
                           dtm_unit_name(dtm.xy_units), dtm_unit_name(dtm.z_units)));
}

ConversionResult failed(std::string message) {
    return ConversionResult{ConversionOutcome::Failed, std::move(message)};
}

std::string profile_message(int profile, const std::string& source_path) {
    return format_text("Cannot read profile %i of USGS DEM file: %s", profile, source_path.c_str());
}

} // namespace

ConversionResult convert_dem_file(DemRunSettings& settings) {
    DemHeader dem;
    DemExtent extent;
    int failed_profile = 0;
    const std::string& source = settings.source_path;
    const std::string& dest = settings.dest_path;

    switch (compute_dem_extent(source, settings.suppress_progress, dem, extent, failed_profile)) {
    case DEM_OK:
        break;
    case DEM_CANNOT_READ_PROFILES:
        return failed(profile_message(failed_profile, source));
    case DEM_BAD_RESOLUTION:
        return failed(message_with_path("Invalid X or Y resolution in USGS DEM file: %s", source));
    case DEM_EXTENT_OUT_OF_RANGE:
        return failed(message_with_path(
            "Grid extent of USGS DEM file is too large for a DTM file: %s", source));
    default:
        return ConversionResult{ConversionOutcome::HeaderUnreadable, {}};
    }

    settle_source_units(settings, dem);
    const std::string description = build_dem_description(dem);
    DtmHeader header;
    assemble_dtm_header(extent, dem, description, settings, header);
    const UnitFactors factors = apply_unit_factors(dem, header);
    settings.report_path = derive_report_path(dest, settings.batch_mode);
    write_header_report(settings.report_path, dem);
    print_run_summary(settings, dem, header);

    // From here on a DTM that is not complete is removed.
    platform::OutputGuard output;
    const std::string write_failure = message_with_path("Cannot write DTM file: %s", dest);
    if (write_dtm_header(dest, header) != 0) {
        return failed(write_failure);
    }
    const int status = reformat_profiles(source, dest, extent, dem, factors.elevation,
                                         settings.suppress_progress, header, failed_profile);
    if (status != DEM_OK) {
        if (status == DEM_CANNOT_READ_SOURCE && failed_profile > 0) {
            return failed(profile_message(failed_profile, source));
        }
        if (status == DEM_CANNOT_OPEN_SOURCE || status == DEM_CANNOT_READ_SOURCE) {
            return failed(message_with_path("Cannot read USGS DEM file: %s", source));
        }
        return failed(write_failure);
    }
    if (rewrite_dtm_header(dest, header) != 0) {
        return failed(write_failure);
    }
    output.commit();
    print_info("Format conversion complete\n\n");
    return ConversionResult{};
}
