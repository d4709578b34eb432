#include <gtest/gtest.h>

#include <bit>
#include <sys/stat.h>

#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace dtm;

TEST(DtmHeader, FieldsLieAtTheirOffsetsLittleEndian) {
    const auto bytes = serialize_dtm_header(sample_dtm_header());
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
