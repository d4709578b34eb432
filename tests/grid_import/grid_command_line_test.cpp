#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "grid_import/grid_command_line.hpp"

using namespace briskel;

TEST(BriskelOptions, ZoneReadsLikeAtoiWithin32Bits) {
    EXPECT_EQ(read_zone_number("70000"), 70000);
    EXPECT_EQ(read_zone_number("  -3x"), -3);
    EXPECT_EQ(read_zone_number("abc"), 0);
    EXPECT_EQ(read_zone_number(""), 0);
    EXPECT_EQ(read_zone_number("99999999999"), 2147483647);
    EXPECT_EQ(read_zone_number("-99999999999"), -2147483647 - 1);
}
