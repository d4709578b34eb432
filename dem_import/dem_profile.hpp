// Type B profiles of a USGS ASCII DEM and the alignment of the stream on
// the 1024-byte logical records, with or without line ends.
#pragma once

#include <cstdint>
#include <vector>

#include "dem_import/dem_status.hpp"
#include "textscan/text_reader.hpp"

namespace taverlin {

inline constexpr long DEM_RECORD_LENGTH = 1024;

struct DemProfile {
    std::int32_t row_id = 0;
    std::int32_t column_id = 0;
    std::int32_t elevation_count = 0;   // elevations in the profile
    std::int32_t elevation_columns = 0; // columns of elevations (1 normally)
    double x_start = 0.0;               // ground X of the first (southernmost) elevation
    double y_start = 0.0;
    double datum_elevation = 0.0;
    double min_elevation = 0.0;
    double max_elevation = 0.0;
    std::vector<std::int32_t> elevations; // raw counts, south to north
};

// The readers below return ok, or cannot_read_profile (the caller knows
// which profile it was reading).

// The four I6 counts (white space skipped before each) and the five D24.15
// reals that follow them.
DemStatus read_profile_header(textscan::TextReader& in, DemProfile& profile);

// Reads elevation_count white-space separated integers ("%d"); a negative
// count, a value that does not convert or memory that cannot be had fails.
// Storage grows with the values actually read, so a count that the file
// cannot hold costs no more than the file.
DemStatus read_profile_elevations(textscan::TextReader& in, DemProfile& profile);

// Passes over the elevations as read_profile_elevations reads them, with
// the same outcome and position, keeping none of them.
DemStatus skip_profile_elevations(textscan::TextReader& in, const DemProfile& profile);

void free_profile_elevations(DemProfile& profile);

enum class [[nodiscard]] RecordStatus{at_record, end_of_file};

// Moves to the start of the next record: up to the next 1024-byte boundary,
// or past the first control character before it and the control characters
// after it.
RecordStatus skip_to_next_record(textscan::TextReader& in);

} // namespace taverlin
