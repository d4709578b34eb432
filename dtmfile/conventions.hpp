// What each writer of DTM files puts in them, each rule stated once for the
// converters, dtminfo and the GDAL driver. The format leaves the version,
// the cell type, the void value, the elevation range recorded and the
// meaning of reference system 0 to the writer; a reader tells the writer by
// the version.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

#include "dtmfile/dtm_header.hpp"

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
    // The elevation range recorded in the header covers the stored cells
    // above this value when it is given (TAVERLIN: above 0), else every
    // cell but the void; without a cell counted it is these two values.
    std::optional<double> range_above;
    double empty_range_minimum;
    double empty_range_maximum;
};

const WriterConvention& convention_of(Writer writer);

// The elevation range a writer records in the header, gathered over the
// values its cells store by the convention's rule: TAVERLIN's covers the
// cells above 0 and, when there are none, keeps its start values (the
// largest float64 as the minimum and the smallest positive one as the
// maximum); BRISKEL's covers the cells that are not void, and is the void
// value at both ends when there are none. A file of a version neither
// writer uses records the range of its valid cells: those that are not the
// void value the reader was given; without any, it keeps the range it has.
// A cell that is not a number is never counted.
class RecordedRange {
  public:
    explicit RecordedRange(const WriterConvention& convention) : convention_(&convention) {}

    // The range a file of this version records; `void_value` serves a
    // version neither writer uses.
    RecordedRange(float version, std::optional<double> void_value);

    void add(double stored) {
        const bool counted = convention_ == nullptr     ? stored != void_value_
                             : convention_->range_above ? stored > *convention_->range_above
                                                        : stored != convention_->void_value;
        if (counted && !std::isnan(stored)) {
            minimum_ = count_ == 0 || stored < minimum_ ? stored : minimum_;
            maximum_ = count_ == 0 || stored > maximum_ ? stored : maximum_;
            ++count_;
        }
    }

    // The same for many int16 cells at once, by the same rule.
    void add(std::span<const std::int16_t> cells);

    // False when there is no range to record: a version neither writer uses
    // and no valid cell; the header keeps the range it has.
    bool records() const { return convention_ != nullptr || count_ > 0; }

    double minimum() const { return count_ > 0 ? minimum_ : convention_->empty_range_minimum; }
    double maximum() const { return count_ > 0 ? maximum_ : convention_->empty_range_maximum; }

  private:
    const WriterConvention* convention_;
    std::optional<double> void_value_;
    double minimum_ = 0.0;
    double maximum_ = 0.0;
    std::uint64_t count_ = 0;
};

// The convention of a file of this version; nullptr for a version neither
// writer uses.
const WriterConvention* convention_for_version(float version);

// The void value of a file of this version; none for a version neither
// writer uses.
std::optional<double> void_value_for_version(float version);

// True when the header's X and Y are arc-seconds: reference system 0 in a
// file of a writer for which 0 means geographic.
bool holds_arc_seconds(const DtmHeader& header);

// True when the range is the one the convention records without a cell.
inline bool is_empty_range(const WriterConvention& convention, double z_min, double z_max) {
    return z_min == convention.empty_range_minimum && z_max == convention.empty_range_maximum;
}

// x truncated toward zero to 32 bits, as the x86 conversion the writers
// were built with does: an x beyond 32 bits, or not a number, gives -2^31.
inline std::int32_t truncate_to_int32(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(x);
}

} // namespace dtm
