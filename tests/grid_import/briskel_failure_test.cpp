// Hostile sources, failing output and refused names: every such run ends
// with its error line and status 1, and leaves no new or damaged DTM file.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

#include "tests/grid_import/briskel_run.hpp"

using namespace briskel_test;

namespace {

const std::string NOT_SURFER =
    error_line("Source file does not appear to be a SURFER model") +
    error_line("BRISKEL recognizes SURFER V6 ASCII and binary and V7 binary formats");
const std::string NO_HEADER = error_line("Could not read source grid information");
const std::string NO_DATA = error_line("Could not read source grid data");

std::string replaced(std::string bytes, std::size_t offset, const std::string& text) {
    return bytes.replace(offset, text.size(), text);
}

TestGrid with_counts(std::int32_t rows, std::int32_t columns) {
    TestGrid grid;
    grid.rows = rows;
    grid.columns = columns;
    return grid;
}

TEST(BriskelFailure, UnreadableSourcesLeaveTheDestinationAlone) {
    const TestGrid g;
    const std::string v7_head = dsrb(g).substr(0, 12 + 8 + 72); // no DATA section
    TestGrid short_data;
    short_data.nodes.pop_back();
    struct Case {
        std::optional<std::string> bytes; // none: a folder
        std::string messages;
    };
    const std::vector<Case> cases = {
        // Not recognised: letter case, version, fewer than 8 bytes, a folder.
        {replaced(dsaa(g), 0, "dsaa"), NOT_SURFER},
        {replaced(dsbb(g), 0, "Dsbb"), NOT_SURFER},
        {replaced(dsrb(g), 8, le(std::int32_t{2})), NOT_SURFER},
        {"DSAA 1\n", NOT_SURFER},
        {"", NOT_SURFER},
        {std::nullopt, NOT_SURFER},
        // Header: a word for a number, cut before the maximum Z, negative counts.
        {replaced(dsaa(g), 19, "south"), NO_HEADER},
        {"DSAA\n4 3\n1000 1075\n2000 2100\n-5 ", NO_HEADER},
        {dsaa(with_counts(-3, 4)), NO_HEADER},
        {dsbb(with_counts(3, -1)), NO_HEADER},
        {dsrb(with_counts(-3, 4)), NO_HEADER},
        {dsrb(with_counts(3, -4)), NO_HEADER},
        // Surfer 7 without GRID, GRID body cut short, section walks back onto
        // themselves or past the end of the file.
        {section("DSRB", le(std::int32_t{1})) + section("DATA", std::string(96, '\0')), NO_HEADER},
        {dsrb(g).substr(0, 12 + 8 + 40), NO_HEADER},
        {replaced(dsrb(g), 4, le(std::int32_t{-8})), NO_HEADER},
        {dsrb(g, section("XTRA", "", -8)), NO_HEADER},
        {dsrb(g, section("XTRA", "", 1 << 20)), NO_HEADER},
        // Data: too few values, no DATA after GRID, a walk back onto itself.
        {dsrb(short_data), NO_DATA},
        {v7_head, NO_DATA},
        {v7_head + section("XTRA", "abc"), NO_DATA},
        {dsrb(g, section("DATA", std::string(96, '\0'))).substr(0, 12 + 104 + 80), NO_DATA},
        {dsrb(g, {}, section("XTRA", "", -8)), NO_DATA},
        {dsbb(g).substr(0, 56 + 4 * 12 - 2), NO_DATA},
        {replaced(dsaa(g), dsaa_header(g).size() + 5, "x"), NO_DATA},
        {dsaa_header(g) + "1 2 3 4 5 6 7 8 9 10 11", NO_DATA},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        TempDir dir;
        if (c.bytes) {
            write_file(dir.file("g.grd"), *c.bytes);
        } else {
            std::filesystem::create_directory(dir.file("g.grd"));
        }
        RunResult run = briskel(dir, {"g.grd", "g.dtm", "f", "f"});
        EXPECT_EQ(run.exit_status, 1);
        const std::string summary_lines = c.messages == NO_DATA ? summary("g.grd", "g.dtm") : "";
        EXPECT_EQ(run.out, BANNER + summary_lines + c.messages);
        EXPECT_FALSE(file_exists(dir.file("g.dtm")));

        write_file(dir.file("g.dtm"), "old");
        run = briskel(dir, {"g.grd", "g.dtm", "f", "f", "/Q"});
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.out, c.messages);
        EXPECT_EQ(read_file(dir.file("g.dtm")), "old");
    }
}

TEST(BriskelFailure, HugeCountsEndWithAnErrorLine) {
    const std::string disk = error_line("Not enough disk space for destination file");
    const std::string memory = error_line("Could not allocate memory for source grid data");
    for (const std::string& source :
         {dsrb(with_counts(1 << 30, 1 << 30)), dsaa(with_counts(2147483647, 2147483647))}) {
        TempDir dir;
        write_file(dir.file("g.grd"), source);
        const RunResult run = briskel(dir, {"g.grd", "g.dtm", "f", "f", "/Q"});
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_TRUE(run.out == disk || run.out == memory) << run.out;
        EXPECT_FALSE(file_exists(dir.file("g.dtm")));
    }
}

TEST(BriskelFailure, WriteFailuresRemoveThePartialDtm) {
    const auto failed = [](const std::string& dest) {
        return BANNER + summary("g.grd", dest) +
               error_line("Could not write destination dtm file: " + dest);
    };
    // File size limits cutting the header, ending after it, cutting the cells.
    for (std::uint64_t limit : {100u, 160u, 210u}) {
        TempDir dir;
        write_file(dir.file("g.grd"), dsrb(TestGrid{}));
        write_file(dir.file("g.dtm"), "old");
        const RunResult run = briskel(dir, {"g.grd", "g.dtm", "f", "f"}, limit);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.out, "Destination file will be overwritten: g.dtm\n\n" + failed("g.dtm"));
        EXPECT_FALSE(file_exists(dir.file("g.dtm"))) << limit;
    }
    TempDir dir;
    write_file(dir.file("g.grd"), dsrb(TestGrid{}));
    RunResult run = briskel(dir, {"g.grd", "g.dtm", "f", "f", "/Q"}, 0,
                            failing_open(FAIL_OPEN_LIBRARY, "g.dtm", 1));
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, error_line("Could not write destination dtm file: g.dtm"));
    EXPECT_FALSE(file_exists(dir.file("g.dtm")));

    // Interrupted halfway through its cells: no partial DTM either.
    run = briskel(dir, {"g.grd", "g.dtm", "f", "f", "/Q"}, 0,
                  interrupted_write(FAIL_OPEN_LIBRARY, "g.dtm", 2, SIGTERM));
    EXPECT_EQ(run.exit_status, 128 + SIGTERM);
    EXPECT_FALSE(file_exists(dir.file("g.dtm")));

    std::filesystem::create_symlink("/dev/full", dir.file("full.dtm"));
    run = briskel(dir, {"g.grd", "full.dtm", "f", "f", "/Q"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, error_line("Could not write destination dtm file: full.dtm"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("full.dtm")));
    struct stat device {};
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));

    run = briskel(dir, {"g.grd", "nodir/g.dtm", "f", "f"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + summary("g.grd", "nodir/g.dtm") +
                           error_line("Could not create destination dtm file"));
    EXPECT_FALSE(file_exists(dir.file("nodir")));
}

TEST(BriskelFailure, TakesNamesOf259Bytes) {
    TempDir dir;
    write_file(dir.file("g.grd"), dsbb(TestGrid{}));
    const std::string folder(200, 'd');
    std::filesystem::create_directory(dir.file(folder));
    const std::string fits = folder + "/" + std::string(54, 'e') + ".dtm";
    const RunResult run = briskel(dir, {"g.grd", fits, "f", "f", "/Q"});
    EXPECT_EQ(run.exit_status, 0) << run.out;
    EXPECT_EQ(read_file(dir.file(fits)), dtm_bytes(ExpectedDtm{}));
}

} // namespace
