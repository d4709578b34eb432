#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <sys/stat.h>

#include "dtmfile/dtm_header.hpp"
#include "dtmfile/units.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;

namespace {

DtmHeader sample_header() {
    DtmHeader header;
    set_dtm_signature(header);
    set_dtm_description(header, "NAME");
    header.version = 2.0f;
    header.x_origin = 1000.5;
    header.y_origin = -2.25;
    header.z_min = 1.0;
    header.z_max = 4000.0;
    header.rotation = 0.125;
    header.x_spacing = 30.0;
    header.y_spacing = 10.0;
    header.column_count = 3;
    header.row_count = 2;
    header.xy_units = 1;
    header.z_units = 0;
    header.data_type = DTM_INT16;
    header.coord_system = 1;
    header.coord_zone = -7;
    return header;
}

} // namespace

TEST(DtmHeader, FieldsLieAtTheirOffsetsLittleEndian) {
    const auto bytes = serialize_dtm_header(sample_header());
    const std::string b(bytes.begin(), bytes.end());
    EXPECT_EQ(b.substr(0, 21), std::string("VORDA-PC BINARY .DTM\0", 21));
    EXPECT_EQ(b.substr(21, 5), std::string("NAME\0", 5));
    EXPECT_EQ(b.substr(82, 4), std::string("\x00\x00\x00\x40", 4));
    EXPECT_EQ(le_float64(b, 86), 1000.5);
    EXPECT_EQ(le_float64(b, 94), -2.25);
    EXPECT_EQ(le_float64(b, 102), 1.0);
    EXPECT_EQ(le_float64(b, 110), 4000.0);
    EXPECT_EQ(le_float64(b, 118), 0.125);
    EXPECT_EQ(le_float64(b, 126), 30.0);
    EXPECT_EQ(le_float64(b, 134), 10.0);
    EXPECT_EQ(le_int32(b, 142), 3);
    EXPECT_EQ(le_int32(b, 146), 2);
    EXPECT_EQ(le_int16(b, 150), 1);
    EXPECT_EQ(le_int16(b, 152), 0);
    EXPECT_EQ(le_int16(b, 154), 0);
    EXPECT_EQ(le_int16(b, 156), 1);
    EXPECT_EQ(le_int16(b, 158), -7);
}

TEST(DtmHeader, DescriptionKeepsSixtyBytesAndEndsWithNul) {
    DtmHeader header;
    set_dtm_description(header, std::string(70, 'x'));
    const auto bytes = serialize_dtm_header(header);
    EXPECT_EQ(bytes[21], 'x');
    EXPECT_EQ(bytes[80], 'x');
    EXPECT_EQ(bytes[81], 0);
}

TEST(DtmHeader, WriteCreatesA160ByteFileAndRewriteKeepsTheCells) {
    TempDir dir;
    const std::string path = dir.file("a.dtm");
    DtmHeader header = sample_header();
    ASSERT_EQ(write_dtm_header(path, header), 0);
    EXPECT_EQ(read_file(path).size(), 160u);

    std::string with_cells = read_file(path) + std::string(40, '\0') + "CELLS";
    write_file(path, with_cells);
    header.z_max = 9.0;
    ASSERT_EQ(rewrite_dtm_header(path, header), 0);
    const std::string after = read_file(path);
    ASSERT_EQ(after.size(), with_cells.size());
    EXPECT_EQ(le_float64(after, 110), 9.0);
    EXPECT_EQ(after.substr(160), with_cells.substr(160));
}

TEST(DtmHeader, RewriteOfAMissingFileFailsAndCreatesNothing) {
    TempDir dir;
    EXPECT_EQ(rewrite_dtm_header(dir.file("missing.dtm"), sample_header()), 1);
    EXPECT_FALSE(file_exists(dir.file("missing.dtm")));
}

TEST(DtmHeader, FullDeviceFailsWithoutBeingRemoved) {
    struct stat info {};
    if (::stat("/dev/full", &info) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    EXPECT_EQ(write_dtm_header("/dev/full", sample_header()), 1);
    EXPECT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(DtmHeader, PutLeavesTheStreamAtTheFirstCell) {
    TempDir dir;
    const std::string path = dir.file("b.dtm");
    std::FILE* stream = std::fopen(path.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(put_dtm_header(stream, sample_header()), 1);
    std::fputc('C', stream);
    std::fclose(stream);
    const std::string bytes = read_file(path);
    ASSERT_EQ(bytes.size(), 201u);
    EXPECT_EQ(bytes.substr(160, 40), std::string(40, '\0'));
    EXPECT_EQ(bytes[200], 'C');
}

TEST(Units, FactorsAreTheExactConstants) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(unit_factor(DTM_FEET, DTM_METERS)), 0x3FD381D7DBF487FDu);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(unit_factor(DTM_METERS, DTM_FEET)), 0x400A3F28FCA37F21u);
    EXPECT_EQ(unit_factor(DTM_FEET, DTM_FEET), 1.0);
    EXPECT_EQ(unit_factor(DTM_METERS, DTM_METERS), 1.0);
    EXPECT_EQ(304.8 * unit_factor(DTM_METERS, DTM_FEET), 999.999999996);
    EXPECT_EQ(std::strlen(DTM_UNIT_NAMES[0]), 6u);
    EXPECT_STREQ(DTM_UNIT_NAMES[0], "FEET  ");
    EXPECT_STREQ(DTM_UNIT_NAMES[1], "METERS");
}
