// Command line of briskel: usage text, unit words, options, the order of the
// file-name checks, quiet mode and case folding of the names.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/grid_import/briskel_run.hpp"

using namespace briskel_test;

namespace {

const std::string SAME =
    error_line("Source file name and destination file name cannot be the same");
const std::string BAD_XY = error_line("Invalid units for planimetric measurements");
const std::string BAD_Z = error_line("Invalid units for elevations");
const std::string TOO_LONG = "ERROR: File name too long (more than 259 characters): ";

std::string bad_argument(const std::string& word) {
    return error_line("Bad command line argument: " + word);
}

struct Dir : TempDir {
    Dir() {
        write_file(file("a.grd"), dsaa(TestGrid{}));
        write_file(file("c.dtm"), "old");
        std::filesystem::create_directory(file("sub"));
        std::filesystem::create_symlink("a.grd", file("link.grd"));
    }
};

// Each of these shows the usage text without the banner, status 1, and touches no file.
TEST(BriskelCommandLine, RefusedCommandLinesEndWithTheUsageText) {
    const std::string notice = "Destination file will be overwritten: ";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"a.grd", "b.dtm", "f"}, ""},
        {{"a.grd", "b.dtm", "f", "f", "/H"}, ""},
        {{"a.grd", "b.dtm", "f", "f", "-h", "/Q"}, ""},
        {{"a.grd", "c.dtm", "f", "f", "/?"}, notice + "c.dtm\n\n"},
        {{"a.grd", "c.dtm", "f", "f", "/?", "/q"}, ""},
        {{"a.grd", "b.dtm", "x", ""}, BAD_XY + BAD_Z},
        {{"a.grd", "b.dtm", "", "meters"}, BAD_XY},
        {{"a.grd", "b.dtm", "f", "x"}, BAD_Z},
        {{"a.grd", "b.dtm", "f", "f", "/Sxyz"}, bad_argument("/SXYZ")},
        {{"a.grd", "b.dtm", "f", "f", "/S"}, bad_argument("/S")},
        {{"a.grd", "b.dtm", "f", "f", "/ex"}, bad_argument("/EX")},
        {{"a.grd", "b.dtm", "f", "f", "/E"}, bad_argument("/E")},
        {{"a.grd", "b.dtm", "f", "f", "-pkm"}, bad_argument("-PKM")},
        {{"a.grd", "b.dtm", "f", "f", "/x"}, bad_argument("/x")},
        {{"a.grd", "b.dtm", "f", "f", "-Kilo"}, bad_argument("-Kilo")},
        {{"a.grd", "b.dtm", "f", "f", "data"}, error_line("Bad command line")},
        {{"a.grd", "b.dtm", "f", "f", "/Q", "/PM", "-"}, bad_argument("-")},
        // Every fault in argument order, /Q silencing none of them.
        {{"No%sSuch.GRD", "b.dtm", "q", "F", "/k", "/Sfoo", "data", "/Q", "/eM"},
         error_line("Source file not found: no%ssuch.grd") + BAD_XY + bad_argument("/k") +
             bad_argument("/SFOO") + error_line("Bad command line")},
        // Equal after folding; the same-name error first, the overwrite notice last.
        {{"A.GRD", "a.grd", "f", "f"}, SAME + notice + "a.grd\n\n"},
        {{"a.grd", "A.Grd", "x", "f", "/k"},
         SAME + BAD_XY + bad_argument("/k") + notice + "a.grd\n\n"},
        {{"a.grd", "A.Grd", "m", "f", "/Q"}, SAME},
        // One file under two spellings.
        {{"./a.grd", "a.grd", "f", "f", "/Q"}, SAME},
        {{"a.grd", "link.grd", "f", "f"}, SAME + notice + "link.grd\n\n"},
        {{"SUB/../LINK.GRD", "./A.grd", "f", "f"}, SAME + notice + "./a.grd\n\n"},
        {{"a.grd", std::string(260, 'n'), "f", "f"}, TOO_LONG + std::string(260, 'n') + "\n"},
        {{"./" + std::string(258, 'n'), "b.dtm", "f", "f"},
         TOO_LONG + "./" + std::string(258, 'n') + "\n"},
    };
    for (const auto& [arguments, messages] : cases) {
        Dir dir;
        const RunResult run = briskel(dir, arguments);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.out, messages + USAGE) << testing::PrintToString(arguments);
        EXPECT_FALSE(file_exists(dir.file("b.dtm")));
        EXPECT_EQ(read_file(dir.file("c.dtm")), "old");
        EXPECT_EQ(read_file(dir.file("a.grd")), dsaa(TestGrid{}));
    }
}

TEST(BriskelCommandLine, UnitWordsAndOptionsSetTheDtmHeader) {
    const double to_feet = 3.280839895;
    const double to_meters = 0.3048;
    struct Case {
        std::vector<std::string> arguments; // after the two names
        double xy_factor, z_factor;
        std::int16_t xy_units, z_units, coord_system, coord_zone;
    };
    const std::vector<Case> cases = {
        {{"meters", "M"}, to_feet, to_feet, 0, 0, 0, 0},
        {{"mm", "feet"}, to_feet, 1, 0, 0, 0, 0},
        {{"fathoms", "F", "/PM", "/Emeters"}, to_meters, to_meters, 1, 1, 0, 0},
        {{"F", "m", "/pm", "/PF", "-eF"}, 1, to_feet, 0, 0, 0, 0},
        {{"m", "m", "-pmx", "/em"}, 1, 1, 1, 1, 0, 0},
        {{"f", "f", "/SUTM", "/Z10"}, 1, 1, 0, 0, 1, 10},
        {{"f", "f", "-sstateplane", "/Z70000"}, 1, 1, 0, 0, 2, 4464},
        {{"f", "f", "/Sutm", "/Ssp", "/Zabc"}, 1, 1, 0, 0, 2, 0},
        {{"f", "f", "/su", "/Z-3", "/Q"}, 1, 1, 0, 0, 1, -3},
        {{"f", "f", "/Z12", "/Z"}, 1, 1, 0, 0, 0, 0},
        {{"f", "f", "/z 12x"}, 1, 1, 0, 0, 0, 12},
        {{"f", "f", "-Z-70000"}, 1, 1, 0, 0, 0, -4464},
    };
    TestGrid grid;
    grid.rotation = -30; // kept by Surfer 7 and never scaled
    for (const Case& c : cases) {
        ExpectedDtm e = scaled(c.xy_factor, c.z_factor, c.xy_units, c.z_units);
        e.coord_system = c.coord_system;
        e.coord_zone = c.coord_zone;
        const std::string trace = testing::PrintToString(c.arguments);
        EXPECT_EQ(convert(dsaa(grid), c.arguments), dtm_bytes(e)) << trace;
        EXPECT_EQ(convert(dsbb(grid), c.arguments), dtm_bytes(e)) << trace;
        e.rotation = -30;
        EXPECT_EQ(convert(dsrb(grid), c.arguments), dtm_bytes(e)) << trace;
    }
}

// Names are printed as they are, percent signs included. The banner follows
// the overwrite notice; /Q silences everything of a good run.
TEST(BriskelCommandLine, SuccessfulRunsPrintBannerSummaryAndDone) {
    TempDir dir;
    const std::string dest = "g%s%n.dtm";
    write_file(dir.file("g.grd"), dsaa(TestGrid{}));
    RunResult run = briskel(dir, {"g.grd", dest, "f", "f"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, BANNER + summary("g.grd", dest) + "Done!\n");
    write_file(dir.file(dest), "old");
    run = briskel(dir, {"g.grd", dest, "f", "f"});
    EXPECT_EQ(run.out, "Destination file will be overwritten: " + dest + "\n\n" + BANNER +
                           summary("g.grd", dest) + "Done!\n");
    write_file(dir.file(dest), "old");
    run = briskel(dir, {"g.grd", dest, "f", "f", "/q"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(read_file(dir.file(dest)), dtm_bytes(ExpectedDtm{}));
}

// The description holds the first 60 bytes of the folded source path as typed.
TEST(BriskelCommandLine, FoldsNamesToLowerCaseAndFindsThemIgnoringCase) {
    Dir dir;
    const std::string name = std::string(60, 'G') + ".GRD";
    std::filesystem::create_directories(dir.file("Data/Deep"));
    write_file(dir.file("Data/Deep/" + name), dsrb(TestGrid{}));
    const std::string source = "./data/deep/" + std::string(60, 'g') + ".grd";
    const RunResult run = briskel(dir, {"./data/DEEP/" + name, "\"Data/Out\".DTM", "f", "f"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, BANNER + summary(source, "data/out .dtm") + "Done!\n");
    ExpectedDtm e;
    e.description = source.substr(0, 60);
    EXPECT_EQ(read_file(dir.file("Data/out .dtm")), dtm_bytes(e));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("Data")),
                            std::filesystem::directory_iterator{}),
              2);
}

} // namespace
