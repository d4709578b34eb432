// The settings of one briskel run, filled from the command line.
#pragma once

#include <cstdint>
#include <string>

#include "dtmfile/units.hpp"

namespace briskel {

struct GrdRunSettings {
    std::string source_path;                  // cleaned and lower-cased
    std::string dest_path;                    // cleaned and lower-cased
    dtm::Unit src_xy_units = dtm::Unit::feet; // third argument
    dtm::Unit src_z_units = dtm::Unit::feet;  // fourth argument
    dtm::Unit dst_xy_units = dtm::Unit::feet; // /P
    dtm::Unit dst_z_units = dtm::Unit::feet;  // /E
    std::int32_t coord_system = 0;            // /S: 1 UTM, 2 SP
    std::int32_t coord_zone = 0;              // /Z
    double xy_factor = 1.0;
    double z_factor = 1.0;
    // Nodes taking more bytes than this are read in two halves at once, on
    // two cores where the machine has them.
    std::uint64_t split_from_bytes = std::uint64_t{4} << 20;
};

} // namespace briskel
