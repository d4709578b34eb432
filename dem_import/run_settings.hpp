// The settings of one taverlin run: set at start-up and by the command line,
// the same for every file of a batch.
#pragma once

#include <string>

#include "dtmfile/units.hpp"

struct DemRunSettings {
    bool suppress_progress = false;  // /S: no progress lines
    bool prompt_for_units = false;   // /V: ask for a missing unit code
    int fallback_xy_unit = DEM_FEET; // /P: DemUnit used when the header's is invalid
    int fallback_z_unit = DEM_FEET;  // /E
    int output_xy_unit = 0;          // /X: DemUnit of the DTM file, 0 keeps the source's
    int output_z_unit = 0;           // /Z
    bool batch_mode = false;         // "@list" form
    std::string list_path;
    std::string source_path;
    std::string dest_path;
    std::string report_path;
};
