// Batch mode: list file reading, upper-case names, the log file, unit
// factors per file and the errors that skip a line or end the batch.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/dem_import/taverlin_run.hpp"

using namespace taverlin_test;

namespace {

const std::string HINT = "See TAVERLIN.logfile for error information\n";

std::string converted(const std::string& source, const std::string& dest,
                      const std::string& report) {
    return "Processing DEM file: " + source + " to create " + dest + "\n" +
           summary(source, dest, report) + "Format conversion complete\n\n";
}

std::string log_of(const TempDir& dir) {
    return read_file(dir.file("TAVERLIN.logfile"));
}

TEST(TaverlinBatch, SkipsCommentsAndEmptyLinesAndCountsLines) {
    TempDir dir;
    write_file(dir.file("a.dem"), build_dem(small_dem()));
    // Comment lines name missing files: read as paths they would be errors.
    write_file(dir.file("list.txt"), "!x.dem\r\n\r\n%x.dem\n;x.dem\r\xFFx.dem\r\n\n\n"
                                     "missing.dem\r\na.dem");
    const RunResult run = taverlin(dir, {"@list.txt", "/S"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line("Cannot find file: missing.dem in line 5 of list file") +
                           HINT + converted("A.DEM", "A.DTM", "A.HDR") + HINT);
    EXPECT_EQ(log_of(dir), "Cannot find file: missing.dem in line 5 of list file\n"
                           "A.DEM...processing to create A.DTM...Done\n");
    EXPECT_EQ(read_file(dir.file("A.DTM")), dtm_bytes(ExpectedDtm{}));
    EXPECT_TRUE(file_exists(dir.file("A.HDR")));
    EXPECT_FALSE(file_exists(dir.file("a.dtm")));
}

TEST(TaverlinBatch, WritesUpperCaseNamesNextToTheSource) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("dems"));
    write_file(dir.file("dems/a.dem"), build_dem(small_dem()));
    write_file(dir.file("dems/b.dem"), build_dem(small_dem()));
    write_file(dir.file("list.txt"), "dems/a.dem\nDems/B.Dem\n");
    const RunResult run = taverlin(dir, {"@list.txt", "-s"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, BANNER + converted("DEMS/A.DEM", "DEMS/A.DTM", "DEMS/A.HDR") +
                           converted("DEMS/B.DEM", "DEMS/B.DTM", "DEMS/B.HDR") + HINT);
    EXPECT_EQ(log_of(dir), "DEMS/A.DEM...processing to create DEMS/A.DTM...Done\n"
                           "DEMS/B.DEM...processing to create DEMS/B.DTM...Done\n");
    for (const char* name : {"dems/A.DTM", "dems/B.DTM"}) {
        EXPECT_EQ(read_file(dir.file(name)), dtm_bytes(ExpectedDtm{})) << name;
    }
    EXPECT_TRUE(file_exists(dir.file("dems/A.HDR")));
}

TEST(TaverlinBatch, WorksOutUnitFactorsForEveryFile) {
    TempDir dir;
    TestDem feet = small_dem();
    feet.planimetric_units = feet.elevation_units = 1;
    write_file(dir.file("m1.dem"), build_dem(small_dem()));
    write_file(dir.file("f.dem"), build_dem(feet));
    write_file(dir.file("m2.dem"), build_dem(small_dem()));
    write_file(dir.file("list.txt"), "m1.dem\nf.dem\nm2.dem\n");
    ASSERT_EQ(taverlin(dir, {"@list.txt", "/Q", "/XF", "/ZF"}).exit_status, 0);
    ExpectedDtm in_feet = with_cells(0, 0, 5, 10, ExpectedDtm{}.cells);
    EXPECT_EQ(read_file(dir.file("F.DTM")), dtm_bytes(in_feet));
    in_feet = with_cells(0, 0, 16, 161, {32, 0, -1, 161, -1, -1, 22, 26, -1, 16, -1, -1});
    in_feet.x_origin = 1000 * 3.280839895;
    in_feet.y_origin = 2000 * 3.280839895;
    in_feet.x_spacing = in_feet.y_spacing = 30 * 3.280839895;
    EXPECT_EQ(read_file(dir.file("M1.DTM")), dtm_bytes(in_feet));
    EXPECT_EQ(read_file(dir.file("M2.DTM")), dtm_bytes(in_feet));
}

TEST(TaverlinBatch, LineThatIsItsOwnDestinationIsSkipped) {
    const std::string errors =
        error_line("Source file name and destination file name cannot be the same") +
        error_line("Cannot create source and destination file name using b.dtm as a base");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/S", BANNER + "Destination file will be overwritten: B.DTM\n\n" + errors + HINT +
                   converted("A.DEM", "A.DTM", "A.HDR") + HINT},
        {"/Q", BANNER + errors},
    };
    for (const auto& [option, console] : cases) {
        TempDir dir;
        write_file(dir.file("a.dem"), build_dem(small_dem()));
        write_file(dir.file("b.dtm"), build_dem(small_dem()));
        write_file(dir.file("list.txt"), "b.dtm\na.dem\n");
        const RunResult run = taverlin(dir, {"@list.txt", option});
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.out, console) << option;
        EXPECT_EQ(log_of(dir), "Cannot create source and destination file name using b.dtm as a "
                               "base\nA.DEM...processing to create A.DTM...Done\n");
        EXPECT_EQ(read_file(dir.file("b.dtm")), build_dem(small_dem()));
        EXPECT_EQ(read_file(dir.file("A.DTM")), dtm_bytes(ExpectedDtm{}));
    }
}

TEST(TaverlinBatch, ListFileThatCannotBeReadEndsTheRun) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    RunResult run = taverlin(dir, {"@nolist.txt", "/S"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line("List file not found: nolist.txt") + USAGE);
    run = taverlin(dir, {"@folder", "/S"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line("Cannot open list file: folder"));
}

TEST(TaverlinBatch, UnreadableDemHeaderEndsTheBatch) {
    TempDir dir;
    const std::string dem = build_dem(small_dem());
    write_file(dir.file("a.dem"), dem);
    write_file(dir.file("b.dem"), dem.substr(0, 700));
    write_file(dir.file("c.dem"), dem);
    write_file(dir.file("list.txt"), "a.dem\nb.dem\nc.dem\n");
    const RunResult run = taverlin(dir, {"@list.txt", "/S"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + converted("A.DEM", "A.DTM", "A.HDR") +
                           "Processing DEM file: B.DEM to create B.DTM\n" +
                           error_line("Cannot read USGS DEM file header"));
    EXPECT_EQ(log_of(dir), "A.DEM...processing to create A.DTM...Done\n"
                           "B.DEM...processing to create B.DTM...");
    EXPECT_FALSE(file_exists(dir.file("B.DTM")));
    EXPECT_FALSE(file_exists(dir.file("C.DTM")));
}

TEST(TaverlinBatch, LogEntriesGoToTheConsoleWithoutLogFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("TAVERLIN.logfile"));
    write_file(dir.file("a.dem"), build_dem(small_dem()));
    write_file(dir.file("list.txt"), "a.dem\n");
    const RunResult run = taverlin(dir, {"@list.txt", "/S"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, BANNER + "Processing DEM file: A.DEM to create A.DTM\n" +
                           "A.DEM...processing to create A.DTM..." +
                           summary("A.DEM", "A.DTM", "A.HDR") + "Format conversion complete\n\n" +
                           "Done\n" + HINT);
}

} // namespace
