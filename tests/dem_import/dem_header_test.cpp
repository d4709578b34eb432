#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "dem_import/dem_header.hpp"
#include "tests/support/dem_builder.hpp"

using namespace testing_support;
using namespace taverlin;
using textscan::ScanStatus;

namespace {

double read_double(const std::string& field) {
    double value = -99.0;
    BytesReader file(field);
    EXPECT_EQ(read_dem_double(file.in, value), ScanStatus::ok) << field;
    return value;
}

int read_integer(const std::string& text) {
    std::int32_t value = -99;
    BytesReader file(text);
    EXPECT_EQ(read_dem_integer(file.in, value), ScanStatus::ok) << text;
    return value;
}

} // namespace

TEST(DemFields, RealsReadWithDExponentsAndTheirQuirks) {
    EXPECT_EQ(read_double("   0.557815000000000D+06"), 557815.0);
    EXPECT_EQ(read_double("   0.557815000000000E+06"), 557815.0);
    // A lower-case d ends the number: the mantissa alone is taken.
    EXPECT_EQ(read_double("   0.557815000000000d+06"), 0.557815);
    double value = 0.0;
    BytesReader blanks(std::string(24, ' '));
    EXPECT_NE(read_dem_double(blanks.in, value), ScanStatus::ok);
    BytesReader short_field("  0.5D+01");
    EXPECT_NE(read_dem_double(short_field.in, value), ScanStatus::ok);
    float resolution = 0.0f;
    BytesReader e12("0.150000E+040.300000E+02");
    EXPECT_EQ(read_dem_float(e12.in, resolution), ScanStatus::ok);
    EXPECT_EQ(resolution, 1500.0f);
    EXPECT_EQ(read_dem_float(e12.in, resolution), ScanStatus::ok);
    EXPECT_EQ(resolution, 30.0f);
}

TEST(DemFields, IntegersSkipWhiteSpaceAndAreDecimal) {
    EXPECT_EQ(read_integer("    10"), 10);
    EXPECT_EQ(read_integer("000010"), 10);
    EXPECT_EQ(read_integer("  0x1F"), 0);
    EXPECT_EQ(read_integer("      \r\n    42"), 42);
    EXPECT_EQ(read_integer("1234567"), 123456);
}

TEST(DemHeaderRecord, ReadsEveryFieldAndStopsAfterTheProfileCount) {
    TestDem dem;
    dem.name = "SOME PLACE";
    dem.reference_zone = 17;
    dem.elevation_units = 1;
    dem.corners = {{{1, 2}, {3, 4}, {5, 6}, {7, 8}}};
    dem.rotation = 0.5;
    dem.x_resolution = 10;
    dem.y_resolution = 20;
    dem.z_resolution = 0.1;
    dem.profile_columns = 120;
    BytesReader file(type_a_record(dem));
    DemHeader header;
    ASSERT_EQ(read_dem_header(file.in, header), DemStatus::ok);
    EXPECT_EQ(file.in.tell(), 864);
    EXPECT_EQ(std::string(header.name.data()), "SOME PLACE                    ");
    EXPECT_EQ(header.reference_zone, 17);
    EXPECT_EQ(header.planimetric_units, 2);
    EXPECT_EQ(header.elevation_units, 1);
    EXPECT_EQ(header.corners[3][1], 8.0);
    EXPECT_EQ(header.rotation, 0.5);
    EXPECT_EQ(header.z_resolution, 0.1f);
    EXPECT_EQ(header.profile_columns, 120);
    EXPECT_EQ(build_dem_description(header), "SOME PLACE                    USGS DEM");
}

TEST(DemHeaderRecord, AnExact864ByteRecordReadsAndAShorterOneFails) {
    const std::string record = type_a_record(TestDem{});
    DemHeader header;
    BytesReader exact(record.substr(0, 864));
    EXPECT_EQ(read_dem_header(exact.in, header), DemStatus::ok);
    BytesReader cut(record.substr(0, 850));
    EXPECT_EQ(read_dem_header(cut.in, header), DemStatus::cannot_read_header);
    BytesReader tiny("SHORT");
    EXPECT_EQ(read_dem_header(tiny.in, header), DemStatus::cannot_read_header);
}
