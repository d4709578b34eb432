#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "cli/file_args.hpp"
#include "tests/support/test_files.hpp"

using namespace cli;

TEST(FileArguments, CleaningDropsALeadingQuoteAndBlanksTheOthers) {
    EXPECT_EQ(clean_file_argument("\"my dem.dem\""), "my dem.dem ");
    EXPECT_EQ(clean_file_argument("a\"b.dem"), "a b.dem");
    EXPECT_EQ(clean_file_argument("plain.dem"), "plain.dem");
    EXPECT_EQ(clean_file_argument(""), "");
}

TEST(FileArguments, UnitOptionTakesTheThirdCharacterAfterUpperCasing) {
    std::string meters = "/pmeters";
    EXPECT_EQ(read_unit_option(meters), 'M');
    EXPECT_EQ(meters, "/PMETERS");
    std::string feet = "/Pfoo";
    EXPECT_EQ(read_unit_option(feet), 'F');
    std::string km = "/pkm";
    EXPECT_EQ(read_unit_option(km), std::nullopt);
    EXPECT_EQ(km, "/PKM");
    std::string bare = "/P";
    EXPECT_EQ(read_unit_option(bare), std::nullopt);
}

TEST(FileArguments, FoldingTouchesAsciiLettersOnly) {
    EXPECT_EQ(platform::to_upper_ascii("ab\xe9z.dem"), "AB\xe9Z.DEM");
    EXPECT_EQ(platform::to_lower_ascii("AB\xc9Z.DEM"), "ab\xc9z.dem");
}
