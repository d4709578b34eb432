// What writing a DTM file loses of its source, counted as the cells go in,
// and the warnings that say so. Every path that writes cells hands each
// valid source value with the value the file stores for it to add(); the
// values it is given are not changed.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "dtmfile/dtm_header.hpp"

namespace vordadtm {

// A source value a new file keeps as a cell: neither NaN nor the source's
// no-data value; the others are written as void.
inline bool is_valid_source_value(double x, std::optional<double> nodata) {
    return !std::isnan(x) && !(nodata && x == *nodata);
}

class WriteLosses {
  public:
    // For a file with this header's cell type and the void value of its
    // writer's convention (by the version).
    explicit WriteLosses(const dtm::DtmHeader& header);

    // A valid source value (neither the source's no-data value nor NaN) and
    // the value the file stores for it. Lost are the values that read as
    // void, equal to the void value or made so by the conversion, and
    // integer cells that do not hold the value truncated toward zero.
    void add(double value, double stored) {
        if (stored == void_value_) {
            ++(value == void_value_ ? equal_to_void_ : converted_to_void_);
        } else if (integer_ && stored != std::trunc(value)) {
            ++out_of_range_;
        }
    }

    // The description asked for, of which the file keeps the first 60 bytes.
    void add_description(const std::string& text);

    // One CE_Warning for each kind of loss counted.
    void warn() const;

  private:
    int data_type_;
    double void_value_;
    bool integer_;
    std::uint64_t equal_to_void_ = 0;
    std::uint64_t converted_to_void_ = 0;
    std::uint64_t out_of_range_ = 0;
    std::size_t description_length_ = 0; // of a description longer than the file keeps
};

} // namespace vordadtm
