// Numbers read as the C library's formatted input reads them ("%d" with or
// without a width, "%lf", "%f"), by hand over a TextReader: the same white
// space skipping, signs, partial numbers, overflow, values and position
// afterwards, without the cost of a library call per number. The test
// support holds the library calls these are checked against.
#pragma once

#include <cstdint>
#include <vector>

#include "textscan/text_reader.hpp"

namespace textscan {

// What a scan returns, as the formatted input functions do: one number
// converted, none (the text is not a number), or the end of the input
// before anything but white space.
enum class [[nodiscard]] ScanStatus : int{end = -1, mismatch = 0, ok = 1};

// "%d", or "%<width>d" for width > 0: white space skipped, then an optional
// sign and decimal digits (a leading 0 is just a digit, a 0x prefix no
// prefix), at most `width` characters after the white space. Values beyond
// the range of a 64-bit long saturate, then keep their low 32 bits.
ScanStatus scan_integer(TextReader& in, int width, std::int32_t& value);

// "%lf": white space skipped, then a decimal or hexadecimal floating-point
// number, "inf", "infinity" or "nan" (any case), correctly rounded. A
// number cut short ("1e+") converts as far as it goes.
ScanStatus scan_double(TextReader& in, double& value);

// "%f": the same text, rounded once to float.
ScanStatus scan_float(TextReader& in, float& value);

// " " in a format: passes any white space.
void skip_space(TextReader& in);

// `count` numbers read as `count` calls of "%d" read them, appended to
// `values`: ok when all were read, else the status of the first that could
// not be, with those before it appended. Runs of ordinary numbers (blanks,
// an optional minus, up to seven digits) are read many at a time.
ScanStatus scan_integers(TextReader& in, std::size_t count, std::vector<std::int32_t>& values);

// The same without the values: where the numbers end, and whether they are
// numbers at all, is all the caller wants to know.
ScanStatus skip_integers(TextReader& in, std::size_t count);

} // namespace textscan
