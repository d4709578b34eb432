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

// The elevation range a writer records in the header, gathered over the
// values its cells store. TAVERLIN's covers the cells of 1 and above and,
// when there are none, keeps its start values: the largest float64 as the
// minimum and the smallest positive float64 as the maximum. BRISKEL's covers
// the cells that are not void, and is the void value at both ends when there
// are none.
class RecordedRange {
  public:
    explicit RecordedRange(const WriterConvention& convention) : convention_(convention) {}

    void add(double stored) {
        const bool counted = convention_.writer == Writer::taverlin
                                 ? stored >= 1.0
                                 : stored != convention_.void_value;
        if (counted) {
            minimum_ = count_ == 0 || stored < minimum_ ? stored : minimum_;
            maximum_ = count_ == 0 || stored > maximum_ ? stored : maximum_;
            ++count_;
        }
    }

    double minimum() const;
    double maximum() const;

  private:
    const WriterConvention& convention_;
    double minimum_ = 0.0;
    double maximum_ = 0.0;
    std::uint64_t count_ = 0;
};

// The convention of a file of this version; nullptr for a version neither
// writer uses.
const WriterConvention* convention_for_version(float version);

} // namespace dtm
