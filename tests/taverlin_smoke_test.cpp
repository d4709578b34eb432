#include <gtest/gtest.h>

#include "dem_builder.hpp"
#include "test_files.hpp"

using namespace testing_support;

TEST(TaverlinSmoke, ConvertsATinyDem) {
    TempDir dir;
    TestDem dem;
    dem.profiles = {make_profile(1000, 2000, {10, 20, 30}), make_profile(1030, 2030, {40, 50})};
    write_file(dir.file("a.dem"), build_dem(dem));
    const RunResult run = run_program(TAVERLIN_PATH, {"a.dem", "a.dtm", "/S"}, dir.path());
    EXPECT_EQ(run.exit_status, 0) << run.out;
    const std::string dtm = read_file(dir.file("a.dtm"));
    ASSERT_EQ(dtm.size(), 200u + 2 * 2 * 3);
    EXPECT_EQ(le_int16(dtm, 200), 10);
    EXPECT_EQ(le_int16(dtm, 206), -1);
    EXPECT_EQ(le_int16(dtm, 208), 40);
}
