#include <gtest/gtest.h>

#include <bit>
#include <sys/stat.h>

#include "dtmfile/units.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;

TEST(Units, FactorsAreTheExactConstantsAndCodesDifferByFormat) {
    const Unit feet = Unit::feet;
    const Unit meters = Unit::meters;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(unit_factor(feet, meters)), 0x3FD381D7DBF487FDu);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(unit_factor(meters, feet)), 0x400A3F28FCA37F21u);
    EXPECT_EQ(unit_factor(feet, feet), 1.0);
    EXPECT_EQ(unit_factor(meters, meters), 1.0);
    EXPECT_EQ(304.8 * unit_factor(meters, feet), 999.999999996);
    EXPECT_STREQ(unit_name(feet), "FEET  ");
    EXPECT_STREQ(unit_name(meters), "METERS");
    EXPECT_EQ(dtm_unit_code(meters), 1);
    EXPECT_EQ(dem_unit_code(meters), 2);
    EXPECT_EQ(unit_from_dem_code(1), feet);
    EXPECT_EQ(unit_from_dtm_code(1), meters);
    EXPECT_EQ(unit_from_dem_code(3), std::nullopt); // arc-seconds
    EXPECT_EQ(unit_from_dtm_code(2), std::nullopt);
}
