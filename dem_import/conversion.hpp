// The conversion of one DEM file into a DTM file and its ".HDR" report.
#pragma once

#include <optional>
#include <string>

#include "cli/console.hpp"
#include "dem_import/dem_header.hpp"
#include "dem_import/dem_status.hpp"
#include "dem_import/run_settings.hpp"
#include "dtmfile/dtm_writer.hpp"
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
[[nodiscard]] bool validate_source_units(const DemHeader& header, cli::Reporter& console);

// Asks for one unit at the console; the fallback is taken when the input
// has ended.
dtm::Unit prompt_for_unit(bool planimetric, dtm::Unit fallback, cli::Reporter& console);

// Settles the header's unit codes from the header itself, the /V question
// or the /P and /E fallbacks.
void settle_source_units(const DemRunSettings& settings, DemHeader& header, cli::Reporter& console);

// The elevation factor the settled units will give, worked out without a
// word on the console; none when the /V question will decide it.
std::optional<double> elevation_factor_before_settling(const DemRunSettings& settings,
                                                       const DemHeader& header);

// Where a conversion writes: the DTM, its ".HDR" report, and the console
// lines (the /V question's key comes from there too).
struct DemOutputs {
    dtm::OutputSink& dtm;
    dtm::OutputSink& report;
    cli::Reporter& console;
};

// The whole conversion of settings.source_path: the scan, the units
// settled, the report written and committed, the summary, the DTM written
// and committed. The outputs are touched only once the scan succeeded; one
// not committed is left to its sink to discard. Anything but ok has kept no
// DTM; cannot_read_header ends a batch too.
DemResult convert_dem(DemRunSettings& settings, const DemOutputs& out);

// convert_dem into the files settings.dest_path and its report (whose name
// it sets in the settings) and onto the console.
DemResult convert_dem_file(DemRunSettings& settings);

} // namespace taverlin
