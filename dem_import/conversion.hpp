// The conversion of one DEM file into a DTM file and its ".HDR" report.
#pragma once

#include <string>

#include "dem_import/dem_header.hpp"
#include "dem_import/run_settings.hpp"

enum class ConversionOutcome {
    Converted,
    // The file was not converted and nothing of its DTM is left; the run
    // goes on with the next file of a batch.
    Failed,
    // The DEM header could not be read: the run ends.
    HeaderUnreadable,
};

struct ConversionResult {
    ConversionOutcome outcome = ConversionOutcome::Converted;
    std::string message; // the error text of a failed conversion
};

// The ".HDR" report name next to the destination.
std::string derive_report_path(const std::string& dest_path, bool batch_mode);

// False, with the same-name error reported, when the report would overwrite
// the source.
bool check_report_path(const std::string& source_path, const std::string& report_path);

// "Planimetric units must be ..." or "Elevation units must be ..." for the
// first invalid code; 0 when both are 1 or 2, else 1.
int validate_source_units(const DemHeader& header);

// Asks for one unit code at the console; the fallback is taken when the
// input has ended.
int prompt_for_unit(bool planimetric, int fallback);

// Settles the header's unit codes from the header itself, the /V question
// or the /P and /E fallbacks.
void settle_source_units(const DemRunSettings& settings, DemHeader& header);

// Runs the whole conversion sequence for settings.source_path.
ConversionResult convert_dem_file(DemRunSettings& settings);
