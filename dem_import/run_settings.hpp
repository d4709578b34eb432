// The settings of one taverlin run: set at start-up and by the command line,
// the same for every file of a batch.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "dtmfile/units.hpp"

namespace taverlin {

struct DemRunSettings {
    bool suppress_progress = false;               // /S: no progress lines
    bool prompt_for_units = false;                // /V: ask for a missing unit code
    dtm::Unit fallback_xy_unit = dtm::Unit::feet; // /P: taken when the header's is invalid
    dtm::Unit fallback_z_unit = dtm::Unit::feet;  // /E
    std::optional<dtm::Unit> output_xy_unit;      // /X: the DTM's; none keeps the source's
    std::optional<dtm::Unit> output_z_unit;       // /Z
    bool batch_mode = false;                      // "@list" form
    std::string list_path;
    std::string source_path;
    std::string dest_path;
    std::string report_path;
    // A DEM larger than this whose cells are kept is scanned in two halves
    // at once, on two cores where the machine has them.
    std::uint64_t split_from_bytes = std::uint64_t{8} << 20;
};

} // namespace taverlin
