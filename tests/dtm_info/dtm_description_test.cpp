#include <gtest/gtest.h>

#include <cmath>
#include <png.h>
#include <vector>

#include "dtm_info/dtm_description.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;
using namespace dtminfo;
using testing_support::float_grid_header;

TEST(DtminfoDescription, DegreesAreSuggestedOnlyForBriskelGridsOfLongitudeAndLatitude) {
    // 11 columns and 5 rows, 0.5 apart: X -180 to -175, Y 88 to 90.
    const auto looks = [](float version, double x_origin, double y_origin, double x_spacing,
                          double y_spacing) {
        DtmHeader header = float_grid_header(11, 5);
        header.version = version;
        header.x_origin = x_origin;
        header.y_origin = y_origin;
        header.x_spacing = x_spacing;
        header.y_spacing = y_spacing;
        return looks_like_degrees(header, dtm_convention(header, std::nullopt));
    };
    EXPECT_TRUE(looks(3.0f, -180, 88, 0.5, 0.5));
    EXPECT_TRUE(looks(3.0f, 175, -90, 0.5, 0.5));    // X ends at 180, Y starts at -90
    EXPECT_FALSE(looks(3.0f, -180.5, 88, 0.5, 0.5)); // west of -180
    EXPECT_FALSE(looks(3.0f, 175.5, 0, 0.5, 0.5));   // east of 180
    EXPECT_FALSE(looks(3.0f, 0, 88.5, 0.5, 0.5));    // north of 90
    EXPECT_FALSE(looks(3.0f, 0, 0, 1, 0.5));         // a spacing of 1
    EXPECT_FALSE(looks(3.0f, 0, 0, 0.5, 0));         // or 0
    EXPECT_FALSE(looks(2.0f, 0, 0, 0.5, 0.5));       // TAVERLIN's, in arc-seconds or units
    EXPECT_FALSE(looks(3.0f, NAN, 0, 0.5, 0.5));
}
