#include <gtest/gtest.h>

#include <cmath>
#include <png.h>
#include <vector>

#include "dtm_info/dtm_description.hpp"

using namespace dtminfo;

TEST(DtminfoStatistics, CountsVoidsAndNonFiniteCellsApart) {
    CellStatisticsBuilder builder(-1.0);
    const std::vector<double> first = {-1, 0, 5, NAN};
    const std::vector<double> second = {INFINITY, 3, -1, -2};
    builder.add(first);
    builder.add(second);
    const CellStatistics s = builder.result();
    EXPECT_EQ(s.valid, 4u);
    EXPECT_EQ(s.voids, 2u);
    EXPECT_EQ(s.not_finite, 2u);
    EXPECT_EQ(s.minimum, -2);
    EXPECT_EQ(s.maximum, 5);
    EXPECT_EQ(s.mean, 1.5);
    EXPECT_EQ(s.positive, 2u);
    EXPECT_EQ(s.positive_minimum, 3);
    EXPECT_EQ(s.positive_maximum, 5);

    // Without a void value every finite cell counts; the mean of the
    // largest values stays finite.
    CellStatisticsBuilder plain(std::nullopt);
    const double big = 1.7976931348623157e308;
    const std::vector<double> cells = {-1, big, big};
    plain.add(cells);
    EXPECT_EQ(plain.result().valid, 3u);
    EXPECT_TRUE(std::isfinite(plain.result().mean));
}
