#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "grid_import/grid_command_line.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;
using namespace briskel;
using testing_support::StringSink;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

const std::string VERSION_1("\1\0\0\0", 4);

} // namespace

TEST(BriskelOptions, ZoneReadsLikeAtoiWithin32Bits) {
    EXPECT_EQ(read_zone_number("70000"), 70000);
    EXPECT_EQ(read_zone_number("  -3x"), -3);
    EXPECT_EQ(read_zone_number("abc"), 0);
    EXPECT_EQ(read_zone_number(""), 0);
    EXPECT_EQ(read_zone_number("99999999999"), 2147483647);
    EXPECT_EQ(read_zone_number("-99999999999"), -2147483647 - 1);
}
