#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <sys/stat.h>

#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace dtm;

TEST(DtmWriter, EachCellTypeTakesItsOwnWidth) {
    const std::vector<std::pair<int, std::string>> encodings = {
        {DTM_INT16, std::string("\xFF\xFF", 2)},
        {DTM_INT32, std::string("\xFF\xFF\xFF\xFF", 4)},
        {DTM_FLOAT32, std::string("\x00\x00\xC0\xBF", 4)},
        {DTM_FLOAT64, std::string("\x00\x00\x00\x00\x00\x00\xF8\xBF", 8)}};
    for (const auto& [data_type, bytes] : encodings) {
        DtmHeader header = sample_dtm_header();
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

TEST(RecordedRange, EachVersionRecordsByItsOwnRule) {
    struct Case {
        float version;
        double minimum, maximum;
    };
    // NaN is no elevation; -1 is TAVERLIN's void and not above 0, -32767
    // BRISKEL's void, and the reader's void -5 for any other version.
    const std::vector<double> stored{std::nan(""), -32767, -5, -1, 0.5, 7};
    const Case cases[] = {{2.0f, 0.5, 7}, {3.0f, -5, 7}, {1.0f, -32767, 7}};
    for (const Case& c : cases) {
        dtm::RecordedRange range(c.version, -5.0);
        for (const double x : stored) {
            range.add(x);
        }
        EXPECT_TRUE(range.records());
        EXPECT_EQ(range.minimum(), c.minimum) << c.version;
        EXPECT_EQ(range.maximum(), c.maximum) << c.version;
    }
    EXPECT_FALSE(dtm::RecordedRange(1.0f, -5.0).records()) << "no cell: the header keeps its own";
}
