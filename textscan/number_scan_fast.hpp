// The fast paths of the number scanners, private to textscan: the common
// cases read straight from the bytes a TextReader holds, eight or sixty-four
// bytes at a time, with the same results as the general readers in
// number_scan.cpp, which take over whenever a fast path declines. Nothing
// outside number_scan.cpp includes this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "textscan/text_reader.hpp"

namespace textscan::fast {

// Blanks, an optional sign and one to seven decimal digits, read as "%d"
// (or "%<width>d" for width > 0) reads them, all well within the bytes held.
// False, with nothing consumed, for anything else.
[[nodiscard]] bool scan_plain_decimal(TextReader& in, int width, std::int32_t& value);

// Blanks, an optional sign, digits with at most one point, at most 15
// significant digits and 22 after the point, and a blank after it, all well
// within the bytes held, read as "%lf" reads them. False, with nothing
// consumed, for anything else.
[[nodiscard]] bool scan_plain_double(TextReader& in, double& value);

// Bytes a window needs held: 64, and 8 more for the last number's digits.
inline constexpr std::ptrdiff_t WINDOW_BYTES = 80;

// Reads the numbers that lie wholly inside the 64 bytes from the reader's
// position when every one of them is ordinary (blanks before it, an
// optional minus and digits, a blank after it): how many were read, at most
// `wanted`; 0 or less when the window is not like that or its first number
// is too long, and the caller then reads one number alone. `values` null:
// the numbers are only passed over. Always 0 without SSE2.
int scan_ordinary_window(TextReader& in, std::size_t wanted, std::vector<std::int32_t>* values);

} // namespace textscan::fast
