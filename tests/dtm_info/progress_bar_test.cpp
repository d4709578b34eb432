#include <gtest/gtest.h>

#include <cmath>
#include <png.h>
#include <vector>

#include "dtm_info/progress_bar.hpp"
#include "tests/support/test_files.hpp"

using namespace dtminfo;

TEST(DtminfoProgress, ShowsAfterASecondAtMostTenTimesASecondAndErasesItself) {
    double now = 100.0;
    std::string shown;
    ProgressBar bar([&now] { return now; }, [&shown](std::string_view text) { shown += text; });
    bar.update("Reading cells", 10, 100);
    now = 100.99;
    bar.update("Reading cells", 50, 100);
    bar.clear(); // nothing shown, nothing to erase
    EXPECT_EQ(shown, "");

    now = 101.0;
    bar.update("Reading cells", 50, 100);
    EXPECT_EQ(shown, "\rReading cells   [###############...............]  50% 0:01\x1b[K");
    shown.clear();
    now = 101.05; // too soon
    bar.update("Reading cells", 60, 100);
    EXPECT_EQ(shown, "");
    now = 101.15;
    bar.update("Shading picture", 2, 3);
    EXPECT_EQ(shown, "\rShading picture [###################...........]  66% 0:01\x1b[K");
    shown.clear();
    bar.clear();
    bar.clear();
    EXPECT_EQ(shown, "\r\x1b[K");

    EXPECT_EQ(ProgressBar::format_line("Writing picture", 7, 7, 3725.9),
              "Writing picture [##############################] 100% 1:02:05");
    EXPECT_EQ(ProgressBar::format_line("Reading cells", 0, 0, 59.9).substr(15),
              " [##############################] 100% 0:59");
    ProgressBar silent; // off the terminal, or with /Q
    silent.update("Reading cells", 1, 2);
    silent.clear();
}
