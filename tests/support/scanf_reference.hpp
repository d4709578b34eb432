// The C library's formatted input, one number per call: the reference the
// hand-made scanners of number_scan.hpp are held to, value for value and
// byte for byte. Results as the library gives them: 1 a number, 0 none,
// -1 the end of the input (the values of textscan::ScanStatus).
#pragma once

#include <cstdint>
#include <cstdio>

namespace testing_support {

int scanf_integer(std::FILE* stream, int width, std::int32_t& value); // "%d" or "%<width>d"
int scanf_double(std::FILE* stream, double& value);                   // "%lf"
int scanf_float(std::FILE* stream, float& value);                     // "%f"
void scanf_space(std::FILE* stream);                                  // " "

} // namespace testing_support
