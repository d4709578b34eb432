// Buffered writer of DTM cells: values go into a large buffer as
// little-endian cells of the file's type and reach the stream in big chunks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// x rounded to float32 as IEEE 754 rounds it: values beyond the float32
// range become the largest float or infinity instead of being undefined.
float to_float32(double x);

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
    bool failed_ = false;
};
