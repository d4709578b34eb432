#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dem_import/dem_extent.hpp"
#include "dem_import/dem_status.hpp"
#include "dem_import/profile_cells.hpp"
#include "dem_import/reformat.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "dtmfile/units.hpp"
#include "tests/support/dem_builder.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace dtm;
using namespace taverlin;

TEST(CellValue, EachTypeConvertsAsItsCellStoresIt) {
    EXPECT_EQ(cell_value(DTM_INT16, 40000.0), -25536.0);
    EXPECT_EQ(cell_value(DTM_INT16, -0.3048), 0.0);
    EXPECT_EQ(cell_value(DTM_INT16, -3.280839895), -3.0);
    EXPECT_EQ(cell_value(DTM_INT16, 1234.99), 1234.0);
    EXPECT_EQ(cell_value(DTM_INT32, 40000.7), 40000.0);
    // Beyond 32 bits, and not-a-number, give the x86 integer indefinite value.
    EXPECT_EQ(cell_value(DTM_INT32, 3e9), -2147483648.0);
    EXPECT_EQ(cell_value(DTM_INT16, 3e9), 0.0);
    EXPECT_EQ(cell_value(DTM_INT16, std::nan("")), 0.0);
    EXPECT_EQ(cell_value(DTM_FLOAT32, 0.1), static_cast<double>(0.1f));
    // Halfway between the largest float and 2^128 rounds to infinity, just
    // below it to the largest float.
    constexpr double halfway = 0x1p128 - 0x1p103;
    EXPECT_EQ(cell_value(DTM_FLOAT32, halfway), HUGE_VAL);
    EXPECT_EQ(cell_value(DTM_FLOAT32, -halfway), -HUGE_VAL);
    EXPECT_EQ(cell_value(DTM_FLOAT32, std::nextafter(halfway, 0.0)), 0x1.fffffep127);
    EXPECT_EQ(cell_value(DTM_FLOAT64, 0.1), 0.1);
}

namespace {

// Runs the scan and the reformatting pass over the DEM (by default two
// profiles in meters) and returns the cell bytes; `header` then holds the
// range found. The cells come from the scan's kept cells or, with `read_twice`
// (the /V question's way), from reading the profiles again.
std::string reformat(double elevation_factor, DtmHeader& header, bool read_twice = false,
                     std::vector<TestProfile> profiles = {make_profile(0, 0, {5, -2, 0}),
                                                          make_profile(30, 60, {7})}) {
    TempDir dir;
    TestDem dem;
    dem.profiles = std::move(profiles);
    write_file(dir.file("a.dem"), build_dem(dem));
    DemSource source;
    DemHeader dem_header;
    DemLimits limits;
    DemExtent extent;
    EXPECT_TRUE(open_dem(dir.file("a.dem"), source, dem_header).ok());
    ProfileCells kept(static_cast<double>(dem_header.z_resolution), elevation_factor);
    EXPECT_TRUE(scan_profiles(source, dem_header, nullptr, limits, read_twice ? nullptr : &kept).ok());
    EXPECT_TRUE(grid_extent(dem_header, limits, source.size, extent).ok());
    header.data_type = DTM_INT16;
    header.row_count = extent.row_count;
    DtmWriter writer(header);
    StringSink sink;
    EXPECT_EQ(writer.start(sink), WriteStatus::ok);
    EXPECT_TRUE(reformat_profiles(source, extent, dem_header, read_twice ? nullptr : &kept,
                                  elevation_factor, nullptr, writer)
                    .ok());
    EXPECT_EQ(writer.finish(), WriteStatus::ok);
    header = writer.header();
    return sink.bytes().substr(DTM_DATA_OFFSET);
}

} // namespace

TEST(Reformat, EveryVoidStaysMinusOneWhateverTheFactorReadOnceOrTwice) {
    for (const bool read_twice : {false, true}) {
        DtmHeader header;
        const std::string cells = reformat(FEET_TO_METERS, header, read_twice);
        ASSERT_EQ(cells.size(), 2u * 3 * 2);
        // 5 ft is 1.524 m, 7 ft 2.1336 m; -2 is a void, 0 stays 0.
        EXPECT_EQ(cells, std::string("\x01\x00\xFF\xFF\x00\x00\xFF\xFF\xFF\xFF\x02\x00", 12));
        EXPECT_EQ(header.z_min, 1.0);
        EXPECT_EQ(header.z_max, 2.0);
    }
}

TEST(Reformat, NoPositiveCellLeavesTheStartValuesAsTheRange) {
    DtmHeader header;
    reformat(1.0, header, false, {make_profile(0, 0, {0, -5})});
    EXPECT_EQ(header.z_min, std::numeric_limits<double>::max());
    EXPECT_EQ(header.z_max, 2.2250738585072014e-308);
}
