// How the steps of a briskel run end, and what briskel says about it.
#pragma once

#include <string>

namespace briskel {

enum class [[nodiscard]] GridStatus{
    ok,
    not_surfer,         // none of the three layouts
    cannot_read_header, // the header cannot be read, or its counts are negative
    cannot_read_data,   // the nodes end early or are faulty, or cannot fit the file
    no_memory,          // the grid does not fit in memory
    no_disk_space,      // the destination's volume is too full
    cannot_create,      // the DTM file cannot be created
    cannot_write,       // the DTM file cannot be written
};

// The error line's text for a status other than ok; the first of the two
// lines for not_surfer.
std::string grid_message(GridStatus status, const std::string& dest_path);

} // namespace briskel
