#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "grid_import/surfer_layout.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;
using namespace briskel;

// Nodes become cells two at a time exactly as one at a time: blanks, values
// past the float range, NaN and ordinary ones, from float64 and float32.
TEST(DtmCells, NodesBecomeCellsTwoAtATimeAsOneAtATime) {
    const NodeToCell to_cell{1e300, 0.3048};
    const std::vector<double> doubles = {
        2e300, 1.2e39,   -1.2e39, 3.4028235e38 / 0.3048, std::numeric_limits<double>::quiet_NaN(),
        1e300, -1000.25, 0.37};
    const std::vector<float> floats = {3.4e38f, -3.4e38f, std::numeric_limits<float>::quiet_NaN(),
                                       7.5f, -0.0f};
    for (std::size_t count = 1; count <= doubles.size(); ++count) {
        std::vector<float> cells(count);
        to_cell.convert(doubles.data(), count, cells.data());
        for (std::size_t i = 0; i < count; ++i) {
            const float expected =
                doubles[i] >= 1e300 ? -32767.0f : to_float32(doubles[i] * 0.3048);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(cells[i]),
                      std::bit_cast<std::uint32_t>(expected))
                << "double node " << i << " of " << count;
        }
    }
    std::vector<float> cells(floats.size());
    to_cell.convert(floats.data(), floats.size(), cells.data());
    for (std::size_t i = 0; i < floats.size(); ++i) {
        const float expected = to_float32(static_cast<double>(floats[i]) * 0.3048);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(cells[i]), std::bit_cast<std::uint32_t>(expected))
            << "float node " << i;
    }
}
