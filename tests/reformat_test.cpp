#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dem_import/dem_extent.hpp"
#include "dem_import/dem_status.hpp"
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

// Runs the reformatting pass for cells of `data_type` over the DEM (by
// default two profiles in meters) and returns the cell bytes; `header`
// then holds the range found.
std::string reformat_as(int data_type, double elevation_factor, DtmHeader& header,
                        std::vector<TestProfile> profiles = {make_profile(0, 0, {5, -2, 0}),
                                                             make_profile(30, 60, {7})}) {
    TempDir dir;
    TestDem dem;
    dem.profiles = std::move(profiles);
    write_file(dir.file("a.dem"), build_dem(dem));
    DemHeader dem_header;
    DemExtent extent;
    EXPECT_TRUE(compute_dem_extent(dir.file("a.dem"), true, dem_header, extent).ok());
    header.data_type = static_cast<std::int16_t>(data_type);
    DtmWriter writer(header);
    StringSink sink;
    EXPECT_EQ(writer.start(sink), WriteStatus::ok);
    EXPECT_TRUE(
        reformat_profiles(dir.file("a.dem"), extent, dem_header, elevation_factor, true, writer)
            .ok());
    EXPECT_EQ(writer.finish(), WriteStatus::ok);
    header = writer.header();
    return sink.bytes().substr(DTM_DATA_OFFSET);
}

} // namespace

TEST(Reformat, FloatCellsKeepEveryVoidAtMinusOneWhateverTheFactor) {
    DtmHeader header;
    const std::string cells = reformat_as(DTM_FLOAT32, FEET_TO_METERS, header);
    ASSERT_EQ(cells.size(), 2u * 3 * 4);
    EXPECT_EQ(le_float32(cells, 0), static_cast<float>(5 * FEET_TO_METERS));
    EXPECT_EQ(le_float32(cells, 4), -1.0f);
    EXPECT_EQ(le_float32(cells, 8), 0.0f);
    EXPECT_EQ(cells.substr(12, 8), std::string("\x00\x00\x80\xBF\x00\x00\x80\xBF", 8));
    EXPECT_EQ(le_float32(cells, 20), static_cast<float>(7 * FEET_TO_METERS));
    EXPECT_EQ(header.z_min, static_cast<double>(static_cast<float>(5 * FEET_TO_METERS)));
    EXPECT_EQ(header.z_max, static_cast<double>(static_cast<float>(7 * FEET_TO_METERS)));
}

TEST(Reformat, Float64AndInt32CellsUseTheirOwnWidths) {
    DtmHeader header;
    const std::string wide = reformat_as(DTM_FLOAT64, 1.0, header);
    ASSERT_EQ(wide.size(), 2u * 3 * 8);
    EXPECT_EQ(wide.substr(24, 8), std::string("\x00\x00\x00\x00\x00\x00\xF0\xBF", 8));
    EXPECT_EQ(le_float64(wide, 40), 7.0);
    const std::string ints = reformat_as(DTM_INT32, METERS_TO_FEET, header);
    ASSERT_EQ(ints.size(), 2u * 3 * 4);
    EXPECT_EQ(le_int32(ints, 0), 16);
    EXPECT_EQ(le_int32(ints, 4), -1);
    EXPECT_EQ(le_int32(ints, 12), -1);
}

TEST(Reformat, NoPositiveCellLeavesTheStartValuesAsTheRange) {
    DtmHeader header;
    reformat_as(DTM_INT16, 1.0, header, {make_profile(0, 0, {0, -5})});
    EXPECT_EQ(header.z_min, std::numeric_limits<double>::max());
    EXPECT_EQ(header.z_max, 2.2250738585072014e-308);
}
