// The conversion of one DEM file into a DTM file and its ".HDR" report.
#pragma once

#include <optional>
#include <string>

#include "dem_import/dem_header.hpp"
#include "dem_import/dem_status.hpp"
#include "dem_import/run_settings.hpp"
#include "dtmfile/units.hpp"

namespace taverlin {

// The ".HDR" report name next to the destination.
std::string derive_report_path(const std::string& dest_path, bool batch_mode);

// False, with the error reported, when the report would overwrite the
// source or be the destination itself.
[[nodiscard]] bool check_report_path(const std::string& source_path, const std::string& dest_path,
                                     const std::string& report_path);

// True when both unit codes are 1 or 2; otherwise reports "Planimetric
// units must be ..." or "Elevation units must be ..." for the first invalid
// one.
[[nodiscard]] bool validate_source_units(const DemHeader& header);

// Asks for one unit at the console; the fallback is taken when the input
// has ended.
dtm::Unit prompt_for_unit(bool planimetric, dtm::Unit fallback);

// Settles the header's unit codes from the header itself, the /V question
// or the /P and /E fallbacks.
void settle_source_units(const DemRunSettings& settings, DemHeader& header);

// The elevation factor the settled units will give, worked out without a
// word on the console; none when the /V question will decide it.
std::optional<double> elevation_factor_before_settling(const DemRunSettings& settings,
                                                       const DemHeader& header);

// Runs the whole conversion sequence for settings.source_path. Anything but
// ok has left no DTM file; cannot_read_header ends a batch too.
DemResult convert_dem_file(DemRunSettings& settings);

} // namespace taverlin
