#include <gtest/gtest.h>

#include <bit>
#include <sys/stat.h>

#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "dtmfile/grid_order.hpp"
#include "dtmfile/units.hpp"
#include "dtmfile_io/file_sink.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace dtm;

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

TEST(DtmWriter, HeaderFirstCellsFromByte200AndTheRangeWrittenAgain) {
    TempDir dir;
    const std::string path = dir.file("a.dtm");
    {
        FileSink sink(path);
        DtmWriter writer(sample_header());
        ASSERT_EQ(writer.start(sink), WriteStatus::ok);
        EXPECT_EQ(read_file(path).size(), 160u); // the header is out at once
        EXPECT_EQ(writer.put(40000.0), -25536.0);
        EXPECT_EQ(writer.put(-1.9), -1.0);
        writer.set_elevation_range(1.0, 9.0);
        ASSERT_EQ(writer.finish(), WriteStatus::ok);
        ASSERT_TRUE(sink.commit());
    }
    const std::string bytes = read_file(path);
    ASSERT_EQ(bytes.size(), 204u);
    EXPECT_EQ(le_float64(bytes, 110), 9.0);
    EXPECT_EQ(bytes.substr(160, 40), std::string(40, '\0'));
    EXPECT_EQ(le_int16(bytes, 200), -25536);
    EXPECT_EQ(le_int16(bytes, 202), -1);

    // A grid without cells ends with its header; a file sink opens at its
    // first byte, so one never written leaves the file alone; one not
    // committed goes.
    DtmHeader empty = sample_header();
    empty.row_count = 0;
    {
        FileSink sink(path);
        DtmWriter writer(empty);
        ASSERT_EQ(writer.start(sink), WriteStatus::ok);
        ASSERT_EQ(writer.finish(), WriteStatus::ok);
        ASSERT_TRUE(sink.commit());
    }
    EXPECT_EQ(read_file(path).size(), 160u);
    { FileSink untouched(path); }
    EXPECT_EQ(read_file(path).size(), 160u);
    {
        FileSink sink(path);
        DtmWriter writer(sample_header());
        ASSERT_EQ(writer.start(sink), WriteStatus::ok);
        writer.put(1.0);
    }
    EXPECT_FALSE(file_exists(path));
    FileSink nowhere(dir.file("no/such/a.dtm"));
    EXPECT_EQ(DtmWriter(sample_header()).start(nowhere), WriteStatus::cannot_create);
}

TEST(DtmWriter, EachCellTypeTakesItsOwnWidth) {
    const std::vector<std::pair<int, std::string>> encodings = {
        {DTM_INT16, std::string("\xFF\xFF", 2)},
        {DTM_INT32, std::string("\xFF\xFF\xFF\xFF", 4)},
        {DTM_FLOAT32, std::string("\x00\x00\xC0\xBF", 4)},
        {DTM_FLOAT64, std::string("\x00\x00\x00\x00\x00\x00\xF8\xBF", 8)}};
    for (const auto& [data_type, bytes] : encodings) {
        DtmHeader header = sample_header();
        header.data_type = static_cast<std::int16_t>(data_type);
        DtmWriter writer(header);
        StringSink sink;
        ASSERT_EQ(writer.start(sink), WriteStatus::ok);
        writer.put(-1.5);
        writer.put_repeated(-1.5, 2);
        ASSERT_EQ(writer.finish(), WriteStatus::ok);
        EXPECT_EQ(sink.bytes().substr(DTM_DATA_OFFSET), bytes + bytes + bytes) << data_type;
        // Cells of another type than the file's fail the writer.
        const float cell = 1.0f;
        writer.put_cells(std::span<const float>(&cell, data_type == DTM_FLOAT32 ? 0 : 1));
        EXPECT_EQ(writer.failed(), data_type != DTM_FLOAT32) << data_type;
    }
}

TEST(DtmWriter, RowsArePlacedIntoColumnsFlippedAndAtTheirOffset) {
    // A 3-row, 4-column grid; a block of two rows of three cells (a stride
    // of four) placed at source row 1, column 1.
    const int block[] = {1, 2, 3, 0, 4, 5, 6, 0};
    const std::vector<std::pair<RowOrder, std::vector<int>>> cases = {
        {{}, {0, 0, 0, 0, 1, 4, 0, 2, 5, 0, 3, 6}},
        {{.north_first = true}, {0, 0, 0, 4, 1, 0, 5, 2, 0, 6, 3, 0}},
        {{.east_first = true}, {0, 3, 6, 0, 2, 5, 0, 1, 4, 0, 0, 0}},
        {{true, true}, {6, 3, 0, 5, 2, 0, 4, 1, 0, 0, 0, 0}}};
    for (const auto& [order, expected] : cases) {
        std::vector<int> grid(12, 0);
        place_rows(grid.data(), 3, 4, block, 2, 3, 4, 1, 1, order);
        EXPECT_EQ(grid, expected) << order.north_first << order.east_first;
    }
}

TEST(DtmWriter, FullDeviceFailsWithoutBeingRemoved) {
    struct stat info {};
    if (::stat("/dev/full", &info) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    FileSink sink("/dev/full");
    EXPECT_EQ(DtmWriter(sample_header()).start(sink), WriteStatus::cannot_write);
    EXPECT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

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
