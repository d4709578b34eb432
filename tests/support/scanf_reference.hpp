// The C library's formatted input, one number per call: the reference the
// hand-made scanners of number_scan.hpp are held to, value for value and
// byte for byte. Same results as those (SCAN_OK, SCAN_MISMATCH, SCAN_END).
#pragma once

#include <cstdint>
#include <cstdio>

int scanf_integer(std::FILE* stream, int width, std::int32_t& value); // "%d" or "%<width>d"
int scanf_double(std::FILE* stream, double& value);                   // "%lf"
int scanf_float(std::FILE* stream, float& value);                     // "%f"
void scanf_space(std::FILE* stream);                                  // " "
