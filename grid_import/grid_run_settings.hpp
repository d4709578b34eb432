// The settings of one briskel run, filled from the command line.
#pragma once

#include <cstdint>
#include <string>

#include "dtmfile/units.hpp"

struct GrdRunSettings {
    std::string source_path;       // cleaned and lower-cased
    std::string dest_path;         // cleaned and lower-cased
    int src_xy_units = DTM_FEET;   // third argument
    int src_z_units = DTM_FEET;    // fourth argument
    int dst_xy_units = DTM_FEET;   // /P
    int dst_z_units = DTM_FEET;    // /E
    std::int32_t coord_system = 0; // /S: 1 UTM, 2 SP
    std::int32_t coord_zone = 0;   // /Z
    double xy_factor = 1.0;
    double z_factor = 1.0;
};
