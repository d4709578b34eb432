// What each writer of DTM files puts in them. The format leaves the version,
// the cell type, the void value and the meaning of reference system 0 to
// the writer; a reader tells the writer by the version.
#pragma once

#include <cstdint>

namespace dtm {

enum class Writer { taverlin, briskel };

struct WriterConvention {
    Writer writer;
    const char* name; // as the writer calls itself
    float version;
    std::int16_t data_type; // a DtmDataType code
    double void_value;      // stored where there is no elevation
    // TAVERLIN copies the DEM's reference system, where 0 is geographic,
    // with X and Y in arc-seconds; BRISKEL writes 0 when none was given.
    bool system_zero_is_geographic;
};

const WriterConvention& convention_of(Writer writer);

// The convention of a file of this version; nullptr for a version neither
// writer uses.
const WriterConvention* convention_for_version(float version);

} // namespace dtm
