// The header of a Surfer grid, common to the three layouts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace briskel {

// Header values of the grid, in the order and widths of the Surfer 7 GRID
// section body. Units are the source's own.
struct GrdInfo {
    std::int32_t rows = 0;
    std::int32_t columns = 0; // nodes in each row
    double x_min = 0.0;       // X of the first column
    double y_min = 0.0;       // Y of the first row
    double x_spacing = 0.0;
    double y_spacing = 0.0;
    double z_min = 0.0;
    double z_max = 0.0;
    double rotation = 0.0;    // as stored by Surfer 7; 0 for Surfer 6
    double blank_value = 0.0; // nodes at or above it are blank
};

// Blank value of both Surfer 6 layouts: the float32 nearest 1.70141e38,
// widened (bits 47DFFFFDC0000000).
inline constexpr double GRD_V6_BLANK_VALUE = 1.701410009187828e+38;

// Surfer 6 ASCII files write their blank nodes as 1.70141E+38; any node at
// or above it is blank.
inline constexpr double GRD_V6_ASCII_BLANK_VALUE = 1.70141e38;

// Spacing of a Surfer 6 grid from its limits: one column or row gives an
// infinite or not-a-number spacing, which travels into the DTM header as
// it is.
inline double surfer6_spacing(double low, double high, std::int32_t count) {
    return (high - low) / (static_cast<double>(count) - 1.0);
}

} // namespace briskel
