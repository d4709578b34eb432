// Command line of taverlin: usage text, option words, file-name checks and
// their order, quiet mode and case folding of the names.
#include <gtest/gtest.h>

#include "tests/dem_import/taverlin_run.hpp"

using namespace taverlin_test;

namespace {

const std::string SAME =
    error_line("Source file name and destination file name cannot be the same");

struct Dir : TempDir {
    Dir() { write_file(file("a.dem"), build_dem(small_dem())); }
};

// Every one of these ends with the usage text and status 1, converting nothing.
TEST(TaverlinCommandLine, RefusedCommandLinesEndWithTheUsageText) {
    const std::string unit_error = error_line("Bad command line argument: /PKM");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"a.dem"}, ""},
        {{"a.dem", "b.dtm", "/S", "/H"}, ""},
        {{"a.dem", "b.dtm", "-?"}, ""},
        {{"a.dem", "b.dtm", "junk"}, error_line("Bad command line")},
        {{"a.dem", "b.dtm", "-kilo"}, error_line("Bad command line argument: -kilo")},
        {{"a.dem", "b.dtm", "/x"}, error_line("Bad command line argument: /X")},
        {{"a.dem", "b.dtm", "-zyards"}, error_line("Bad command line argument: -ZYARDS")},
        {{"a.dem", "b.dtm", "/pkm", "/S", "/k", "x"},
         unit_error + error_line("Bad command line argument: /k") + error_line("Bad command line")},
        {{"nosuch.dem", "b.dtm"}, error_line("Source file not found: nosuch.dem")},
        {{"NoSuch.DEM", "b.dtm", "/pkm"},
         error_line("Source file not found: nosuch.dem") + unit_error},
        // Equal after folding to lower case; the overwrite notice comes first, also with /Q.
        {{"A.dem", "a.DEM"}, "Destination file will be overwritten: a.dem\n\n" + SAME},
        {{"a.dem", "a.dem", "/Q"}, "Destination file will be overwritten: a.dem\n\n" + SAME},
    };
    for (const auto& [arguments, messages] : cases) {
        Dir dir;
        const RunResult run = taverlin(dir, arguments);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.out, BANNER + messages + USAGE) << testing::PrintToString(arguments);
        EXPECT_FALSE(file_exists(dir.file("b.dtm")));
        EXPECT_EQ(read_file(dir.file("a.dem")), build_dem(small_dem()));
    }
}

TEST(TaverlinCommandLine, UnitOptionsTakeTheFirstLetterOfTheirUnitWord) {
    struct Case {
        std::vector<std::string> options;
        std::int16_t xy_units, z_units;
    };
    const std::vector<Case> cases = {
        {{"/XF", "/ZF"}, 0, 0},
        {{"-xf", "-zf"}, 0, 0},
        {{"/xfoo"}, 0, 1},
        {{"-Zfeet"}, 1, 0},
        {{"/XF", "/Xmeters"}, 1, 1},
        {{"/PF", "/EF", "/V"}, 1, 1}, // the DEM's own codes are valid: no question
    };
    for (const Case& c : cases) {
        Dir dir;
        std::vector<std::string> arguments = {"a.dem", "b.dtm", "/S"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(taverlin(dir, arguments).exit_status, 0);
        const std::string dtm = read_file(dir.file("b.dtm"));
        EXPECT_EQ(le_int16(dtm, 150), c.xy_units) << testing::PrintToString(c.options);
        EXPECT_EQ(le_int16(dtm, 152), c.z_units) << testing::PrintToString(c.options);
    }
}

TEST(TaverlinCommandLine, QuietModeKeepsBannerAndOverwriteNotice) {
    Dir dir;
    write_file(dir.file("b.dtm"), "old");
    RunResult run = taverlin(dir, {"a.dem", "b.dtm", "/Q"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, BANNER + "Destination file will be overwritten: b.dtm\n\n");
    EXPECT_EQ(read_file(dir.file("b.dtm")), dtm_bytes(ExpectedDtm{}));
    EXPECT_TRUE(file_exists(dir.file("b.HDR")));
}

TEST(TaverlinCommandLine, FoldsNamesToLowerCaseAndFindsThemOnDisk) {
    Dir dir;
    write_file(dir.file("MyDem.dem"), build_dem(small_dem()));
    RunResult run = taverlin(dir, {"MyDem.dem", "Out.DTM", "/S"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, BANNER + summary("mydem.dem", "out.dtm", "out.HDR") +
                           "Format conversion complete\n\n");
    EXPECT_EQ(read_file(dir.file("out.dtm")), dtm_bytes(ExpectedDtm{}));
    EXPECT_TRUE(file_exists(dir.file("out.HDR")));
    EXPECT_FALSE(file_exists(dir.file("Out.DTM")));

    // The second word is a name even when it looks like an option.
    run = taverlin(dir, {"a.dem", "-Q", "/S"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("Destination DTM file: -q\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("-q")), dtm_bytes(ExpectedDtm{}));
    EXPECT_TRUE(file_exists(dir.file("-q.HDR")));

    // A leading double quote is dropped, any other one becomes a blank.
    write_file(dir.file("my dem.dem"), build_dem(small_dem()));
    EXPECT_EQ(taverlin(dir, {"\"my\"dem.dem", "\"q.dtm", "/Q"}).exit_status, 0);
    EXPECT_EQ(read_file(dir.file("q.dtm")), dtm_bytes(ExpectedDtm{}));
}

} // namespace
