// Composes Surfer grid files for the tests in the three layouts: Surfer 6
// ASCII ("DSAA"), Surfer 6 binary ("DSBB") and Surfer 7 tagged binary
// ("DSRB"), with room for extra sections and damaged counts.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// Blank node of the Surfer 6 layouts: the float32 7EFFFFEE widened.
inline constexpr double SURFER6_BLANK = 1.701410009187828e+38;

// By default 3 rows x 4 columns, 25 apart in X and 50 in Y.
struct TestGrid {
    std::int32_t rows = 3;
    std::int32_t columns = 4;
    double x_min = 1000, x_max = 1075; // Surfer 7 stores (max - min) / (columns - 1)
    double y_min = 2000, y_max = 2100;
    double z_min = -5, z_max = 20; // wider than the nodes
    double rotation = 0;           // Surfer 7 only
    double blank = SURFER6_BLANK;  // Surfer 7 only
    // Row by row, the south row first.
    std::vector<double> nodes{-2.5, 0, 1.5, 3, 4.25, 5, 6.75, 7, 8, 9.5, 10, 12.5};
};

// The little-endian bytes of a number.
template <typename T>
std::string le(T value) {
    std::string bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

// One Surfer 7 section; `size` defaults to the body's length.
std::string section(const std::string& tag, const std::string& body,
                    std::optional<std::int32_t> size = std::nullopt);

// Surfer 7: DSRB header section, `before_grid`, GRID, `before_data`, DATA.
std::string dsrb(const TestGrid& grid, const std::string& before_grid = {},
                 const std::string& before_data = {});

// Surfer 6 binary: 16-bit counts, float32 nodes.
std::string dsbb(const TestGrid& grid);

// Surfer 6 ASCII: the header up to the maximum Z and a line end, then
// every node written with 17 significant digits.
std::string dsaa_header(const TestGrid& grid);
std::string dsaa(const TestGrid& grid);

} // namespace testing_support
