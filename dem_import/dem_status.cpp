#include "dem_import/dem_status.hpp"

#include "textscan/text_format.hpp"

namespace taverlin {

using textscan::format_text;

std::string dem_message(const DemResult& result, const DemRunSettings& settings) {
    const char* source = settings.source_path.c_str();
    switch (result.status) {
    case DemStatus::ok:
        return format_text("Converted USGS DEM file: %s", source);
    case DemStatus::cannot_read_header:
        return "Cannot read USGS DEM file header";
    case DemStatus::cannot_read_profile:
        return format_text("Cannot read profile %i of USGS DEM file: %s", result.profile, source);
    case DemStatus::cannot_read_source:
        return format_text("Cannot read USGS DEM file: %s", source);
    case DemStatus::bad_resolution:
        return format_text("Invalid X or Y resolution in USGS DEM file: %s", source);
    case DemStatus::extent_too_large:
        return format_text("Grid extent of USGS DEM file is too large for a DTM file: %s", source);
    case DemStatus::cannot_write_report:
        return format_text("Cannot write USGS DEM header report: %s", settings.report_path.c_str());
    case DemStatus::cannot_write_destination:
        break;
    }
    return format_text("Cannot write DTM file: %s", settings.dest_path.c_str());
}

} // namespace taverlin
