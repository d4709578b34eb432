// Buffered writer of DTM cells: values go into a large buffer as
// little-endian cells of the file's type and reach the stream in big chunks.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "dtmfile/dtm_header.hpp"

// x rounded to float32 as IEEE 754 rounds it: values beyond the float32
// range become the largest float or infinity instead of being undefined.
inline float to_float32(double x) {
    constexpr double largest = std::numeric_limits<float>::max();
    // Halfway between the largest float and 2^128: from here on, round to
    // nearest gives infinity.
    constexpr double overflow = 340282356779733661637539395458142568448.0;
    const double magnitude = std::fabs(x);
    if (magnitude <= largest || std::isnan(x)) [[likely]] {
        return static_cast<float>(x);
    }
    const float limit = magnitude < overflow ? std::numeric_limits<float>::max()
                                             : std::numeric_limits<float>::infinity();
    return x < 0 ? -limit : limit;
}

class DtmCellWriter {
  public:
    DtmCellWriter(std::FILE* stream, int data_type);

    // Appends one cell; x is already a value of the cell's type (an integral
    // value in range for the integer types). An unknown type writes nothing.
    void put(double x) {
        switch (data_type_) {
        case DTM_INT16:
            append(static_cast<std::uint16_t>(static_cast<std::int16_t>(x)));
            break;
        case DTM_INT32:
            append(static_cast<std::uint32_t>(static_cast<std::int32_t>(x)));
            break;
        case DTM_FLOAT32:
            append(std::bit_cast<std::uint32_t>(to_float32(x)));
            break;
        case DTM_FLOAT64:
            append(std::bit_cast<std::uint64_t>(x));
            break;
        default:
            break;
        }
    }

    // Writes out the buffer; false once any write has failed.
    bool flush();

    bool failed() const { return failed_; }

  private:
    static constexpr std::size_t CAPACITY = std::size_t{1} << 20;

    template <typename Unsigned>
    void append(Unsigned bits) {
        if constexpr (std::endian::native == std::endian::big) {
            for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
                buffer_[used_ + i] = static_cast<std::uint8_t>(bits >> (8 * i));
            }
        } else {
            std::memcpy(buffer_.data() + used_, &bits, sizeof bits);
        }
        used_ += sizeof bits;
        if (used_ + sizeof(std::uint64_t) > CAPACITY) {
            flush();
        }
    }

    std::FILE* stream_;
    int data_type_;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};
