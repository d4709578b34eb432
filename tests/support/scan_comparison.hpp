// Runs the C library's formatted input and the hand-made scanners side by
// side over the same bytes and reports the first difference.
#pragma once

#include <string>

namespace testing_support {

enum class ScanKind {
    Integer,         // "%d"
    SixDigitInteger, // "%6d"
    Double,          // "%lf"
    DoubleThenSpace, // "%lf " as the grid nodes are read
    Float,           // "%f"
};

// Reads `bytes` number after number with the library and with the scanners
// (over memory, and over a file in blocks of a few bytes) until the library
// stops. Empty when every status, value and position agreed; otherwise what
// differed first. `numbers` counts the numbers read.
std::string compare_scans(const std::string& bytes, ScanKind kind, long* numbers = nullptr);

// Reads the numbers of `bytes` with "%d" calls until one fails, then checks
// that scan_integers, asked for as many (and one more, and half as many),
// gives the same values, status and position. Empty when all agreed.
std::string compare_integer_runs(const std::string& bytes);

} // namespace testing_support
