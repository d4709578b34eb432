// Buffered writer of DTM cells: values go into a large buffer as
// little-endian cells of the file's type and reach the stream in big chunks.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

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
    void put(double x);

    // Writes out the buffer; false once any write has failed.
    bool flush();

    bool failed() const { return failed_; }

  private:
    template <typename Unsigned>
    void append(Unsigned bits);

    std::FILE* stream_;
    int data_type_;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};
