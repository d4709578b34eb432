// Hostile input and failing output: every such run ends with an error line
// and a clean exit, and never leaves a partial DTM file behind.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <limits>
#include <sys/stat.h>

#include "tests/dem_import/taverlin_run.hpp"

using namespace taverlin_test;

namespace {

std::string cannot_read(int profile, const std::string& source) {
    return "Cannot read profile " + std::to_string(profile) + " of USGS DEM file: " + source;
}

void expect_failure(const RunResult& run, const std::string& message, const TempDir& dir,
                    const std::string& dest = "a.dtm") {
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_TRUE(run.out.ends_with(error_line(message))) << run.out;
    EXPECT_EQ(run.out.find("Format conversion complete"), std::string::npos);
    EXPECT_FALSE(file_exists(dir.file(dest)));
}

TEST(TaverlinFailure, UnreadableDemsEndTheRun) {
    const std::string dem = build_dem(small_dem());
    TestDem wide = small_dem(); // its extent has two columns more than it has profiles
    wide.profiles[2].x_start = 1120;
    const std::string header = "Cannot read USGS DEM file header";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dem.substr(0, 20), header},
        {dem.substr(0, 800), header},
        {patched(dem, 0, 816, std::string(12, ' ')), header},
        {dem.substr(0, 2048 + 150), cannot_read(2, "a.dem")},
        {dem.substr(0, 3072), cannot_read(3, "a.dem")},
        {patched(dem, 1, 12, "    -3"), cannot_read(1, "a.dem")},
        {patched(dem, 2, 48, std::string(24, ' ')), cannot_read(2, "a.dem")},
        {patched(dem, 3, 144, "   abc"), cannot_read(3, "a.dem")},
        {build_dem(wide), cannot_read(4, "a.dem")}, // in the reformatting pass
    };
    for (const auto& [bytes, message] : cases) {
        TempDir dir;
        write_file(dir.file("a.dem"), bytes);
        SCOPED_TRACE(message + " after " + std::to_string(bytes.size()) + " bytes");
        expect_failure(taverlin(dir, {"a.dem", "a.dtm", "/S"}), message, dir);
    }
    TempDir dir; // neither a folder nor a pipe without writer is a DEM
    std::filesystem::create_directory(dir.file("d.dem"));
    ASSERT_EQ(::mkfifo(dir.file("p.dem").c_str(), 0600), 0);
    for (const char* source : {"d.dem", "p.dem"}) {
        expect_failure(taverlin(dir, {source, "a.dtm", "/S"}), header, dir);
    }
}

TEST(TaverlinFailure, FailedScanClearsItsProgressLineFirst) {
    TempDir dir;
    write_file(dir.file("a.dem"), build_dem(small_dem()).substr(0, 2048 + 150));
    const RunResult run = taverlin(dir, {"a.dem", "a.dtm"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + progress("Scanning DEM file to determine data limits", 3) +
                           error_line(cannot_read(2, "a.dem")));
}

TEST(TaverlinFailure, RefusesResolutionsAndExtentsADtmCannotHold) {
    const std::string resolution = "Invalid X or Y resolution in USGS DEM file: a.dem";
    const std::string extent = "Grid extent of USGS DEM file is too large for a DTM file: a.dem";
    const std::vector<std::pair<std::function<void(TestDem&)>, std::string>> cases = {
        {[](TestDem& d) { d.x_resolution = 0; }, resolution},
        {[](TestDem& d) { d.y_resolution = -30; }, resolution},
        {[](TestDem& d) { d.x_resolution = std::numeric_limits<double>::quiet_NaN(); }, resolution},
        {[](TestDem& d) { d.y_resolution = std::numeric_limits<double>::infinity(); }, resolution},
        {[](TestDem& d) { d.profile_columns = 0; }, extent},
        {[](TestDem& d) { d.profiles[2].x_start = 1e12; }, extent},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string& message = cases[i].second;
        TempDir dir;
        TestDem dem = small_dem();
        cases[i].first(dem);
        write_file(dir.file("a.dem"), build_dem(dem));
        // The resolution is checked before the scan prints its progress line.
        std::vector<std::string> arguments = {"a.dem", "a.dtm"};
        if (message == extent) {
            arguments.push_back("/S");
        }
        const RunResult run = taverlin(dir, arguments);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.out, BANNER + error_line(message)) << "case " << i;
        EXPECT_FALSE(file_exists(dir.file("a.dtm")));
    }
}

TEST(TaverlinFailure, WriteFailuresRemoveThePartialDtm) {
    // The report comes first: one cut by a size limit, in a missing folder or
    // in the place of a folder fails the file before the summary, leaves no
    // report of its own and does not touch the DTM.
    for (const std::string report : {"a.HDR", "nodir/a.HDR", "dir.HDR"}) {
        TempDir dir;
        write_file(dir.file("a.dem"), build_dem(small_dem()));
        std::filesystem::create_directory(dir.file("dir.HDR"));
        const std::string dest = report.substr(0, report.size() - 4) + ".dtm";
        if (report == "dir.HDR") {
            write_file(dir.file(dest), "old");
        }
        const RunResult run = taverlin(dir, {"a.dem", dest, "/S"}, {}, report == "a.HDR" ? 200 : 0);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(
            run.out,
            BANNER +
                (report == "dir.HDR" ? "Destination file will be overwritten: dir.dtm\n\n" : "") +
                error_line("Cannot write USGS DEM header report: " + report));
        EXPECT_EQ(file_exists(dir.file(report)), report == "dir.HDR");
        EXPECT_EQ(file_exists(dir.file(dest)), report == "dir.HDR");
        if (report == "dir.HDR") {
            EXPECT_EQ(read_file(dir.file(dest)), "old");
        }
    }
    // The DTM is written three times: the header, the cells, the header
    // again with the elevation range; any of them may fail.
    for (int write : {1, 2, 3}) {
        TempDir dir;
        write_file(dir.file("a.dem"), build_dem(small_dem()));
        SCOPED_TRACE(write);
        expect_failure(taverlin(dir, {"a.dem", "a.dtm", "/S"}, {}, 0,
                                failing_write(FAIL_OPEN_LIBRARY, "a.dtm", write)),
                       "Cannot write DTM file: a.dtm", dir);
    }
    // An opening that gives a full device.
    TempDir full;
    write_file(full.file("a.dem"), build_dem(small_dem()));
    expect_failure(taverlin(full, {"a.dem", "a.dtm", "/S"}, {}, 0,
                            failing_open(FAIL_OPEN_LIBRARY, "a.dtm", 1)),
                   "Cannot write DTM file: a.dtm", full);
    TempDir dir;
    write_file(dir.file("a.dem"), build_dem(small_dem()));
    std::filesystem::create_symlink("/dev/full", dir.file("a.dtm"));
    const RunResult run = taverlin(dir, {"a.dem", "a.dtm", "/S"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_TRUE(run.out.ends_with(error_line("Cannot write DTM file: a.dtm"))) << run.out;
    struct stat device {};
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));
}

TEST(TaverlinFailure, BatchLogsAFailedFileAndGoesOn) {
    TempDir dir;
    TestDem one = small_dem();
    one.profiles.resize(1);
    one.profiles[0].elevations = {9};
    write_file(dir.file("a.dem"), build_dem(small_dem()));
    write_file(dir.file("b.dem"), build_dem(small_dem()).substr(0, 2048 + 150));
    write_file(dir.file("c.dem"), build_dem(one)); // a 202-byte DTM
    write_file(dir.file("list.txt"), "a.dem\nb.dem\nc.dem\n");
    const std::string b_failed =
        "B.DEM...processing to create B.DTM..." + cannot_read(2, "B.DEM") + "\n";
    const std::string c_done = "C.DEM...processing to create C.DTM...Done\n";
    RunResult run = taverlin(dir, {"@list.txt", "/Q"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line(cannot_read(2, "B.DEM")));
    EXPECT_EQ(read_file(dir.file("TAVERLIN.logfile")),
              "A.DEM...processing to create A.DTM...Done\n" + b_failed + c_done);
    EXPECT_FALSE(file_exists(dir.file("B.DTM")));
    EXPECT_EQ(read_file(dir.file("C.DTM")).size(), 202u);

    // The report of a.dem cannot be written; that file fails, and the DTM
    // of the earlier run stays as it was.
    run = taverlin(dir, {"@list.txt", "/Q"}, {}, 0, failing_write(FAIL_OPEN_LIBRARY, "A.HDR", 1));
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line("Cannot write USGS DEM header report: A.HDR") +
                           error_line(cannot_read(2, "B.DEM")));
    EXPECT_EQ(read_file(dir.file("TAVERLIN.logfile")),
              "A.DEM...processing to create A.DTM...Cannot write USGS DEM header report: A.HDR\n" +
                  b_failed + c_done);
    EXPECT_EQ(read_file(dir.file("A.DTM")).size(), 224u);
    EXPECT_FALSE(file_exists(dir.file("A.HDR")));
    EXPECT_EQ(read_file(dir.file("C.DTM")).size(), 202u);

    // The header of C.DTM, written again with the elevation range, fails.
    run = taverlin(dir, {"@list.txt", "/Q"}, {}, 0, failing_write(FAIL_OPEN_LIBRARY, "C.DTM", 3));
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line(cannot_read(2, "B.DEM")) +
                           error_line("Cannot write DTM file: C.DTM"));
    EXPECT_EQ(read_file(dir.file("TAVERLIN.logfile")),
              "A.DEM...processing to create A.DTM...Done\n" + b_failed +
                  "C.DEM...processing to create C.DTM...Cannot write DTM file: C.DTM\n");
    EXPECT_EQ(read_file(dir.file("A.DTM")).size(), 224u);
    EXPECT_FALSE(file_exists(dir.file("C.DTM")));
}

TEST(TaverlinFailure, InterruptionRemovesTheDtmBeingWritten) {
    // Two profiles 600000 rows apart: 2.4 MB of cells, written a megabyte at
    // a time; the signal comes in the second megabyte.
    TestDem tall = small_dem();
    tall.profiles = {make_profile(1000, 2000, {5}, 1),
                     make_profile(1030, 2000 + 30 * 600000.0, {7}, 2)};
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        write_file(dir.file("a.dem"), build_dem(tall));
        const RunResult run =
            taverlin(dir, {"a.dem", "a.dtm", "/Q"}, {}, 0,
                     interrupted_write(FAIL_OPEN_LIBRARY, "a.dtm", 3, signal_number));
        EXPECT_EQ(run.exit_status, 128 + signal_number);
        EXPECT_FALSE(file_exists(dir.file("a.dtm"))) << signal_number;
        EXPECT_TRUE(file_exists(dir.file("a.HDR")));
    }
    {
        // Started with SIGHUP ignored, as under nohup, the run goes on to the
        // same file as an undisturbed one.
        TempDir dir;
        write_file(dir.file("a.dem"), build_dem(tall));
        ASSERT_EQ(taverlin(dir, {"a.dem", "b.dtm", "/Q"}).exit_status, 0);
        const RunResult run =
            run_program("/usr/bin/nohup", {TAVERLIN_PATH, "a.dem", "a.dtm", "/Q"}, dir.path(), {},
                        0, interrupted_write(FAIL_OPEN_LIBRARY, "a.dtm", 3, SIGHUP));
        EXPECT_EQ(run.exit_status, 0) << run.err;
        EXPECT_EQ(read_file(dir.file("a.dtm")), read_file(dir.file("b.dtm")));
    }
    // In a batch the interruption ends the batch; what was converted stays.
    TempDir dir;
    write_file(dir.file("a.dem"), build_dem(small_dem()));
    write_file(dir.file("b.dem"), build_dem(tall));
    write_file(dir.file("c.dem"), build_dem(small_dem()));
    write_file(dir.file("list.txt"), "a.dem\nb.dem\nc.dem\n");
    const RunResult run = taverlin(dir, {"@list.txt", "/Q"}, {}, 0,
                                   interrupted_write(FAIL_OPEN_LIBRARY, "B.DTM", 3, SIGINT));
    EXPECT_EQ(run.exit_status, 128 + SIGINT);
    EXPECT_EQ(read_file(dir.file("A.DTM")), dtm_bytes(ExpectedDtm{}));
    EXPECT_FALSE(file_exists(dir.file("B.DTM")));
    EXPECT_FALSE(file_exists(dir.file("C.DTM")));
    EXPECT_EQ(read_file(dir.file("TAVERLIN.logfile")),
              "A.DEM...processing to create A.DTM...Done\nB.DEM...processing to create B.DTM...");
}

TEST(TaverlinFailure, OneFileUnderTwoSpellingsIsRefused) {
    const std::string same =
        error_line("Source file name and destination file name cannot be the same");
    const std::string notice = "Destination file will be overwritten: ";
    const std::string report =
        "ERROR: Destination file name cannot be the name of the header report: ";
    const std::vector<std::vector<std::string>> cases = {
        {"./a.dem", "a.dem", notice + "a.dem\n\n" + same},
        {"a.dem", "link.dem", notice + "link.dem\n\n" + same},
        {"sub/../a.dem", "./A.DEM", notice + "./a.dem\n\n" + same},
        {"x.HDR", "x.dtm", same},               // the report would overwrite the source
        {"a.dem", "B.Hdr", report + "b.hdr\n"}, // the DTM would overwrite its report
        {"a.dem", "y.dtm", notice + "y.dtm\n\n" + report + "y.dtm\n"}, // y.HDR links to it
    };
    for (const std::vector<std::string>& c : cases) {
        TempDir dir;
        const std::string dem = build_dem(small_dem());
        std::filesystem::create_directory(dir.file("sub"));
        write_file(dir.file("a.dem"), dem);
        write_file(dir.file("x.HDR"), dem);
        std::filesystem::create_symlink("a.dem", dir.file("link.dem"));
        write_file(dir.file("y.dtm"), "old");
        std::filesystem::create_symlink("y.dtm", dir.file("y.HDR"));
        const RunResult run = taverlin(dir, {c[0], c[1], "/S"});
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.out, BANNER + c[2] + USAGE) << c[0] << " " << c[1];
        EXPECT_EQ(read_file(dir.file("a.dem")), dem);
        EXPECT_EQ(read_file(dir.file("x.HDR")), dem);
        EXPECT_FALSE(file_exists(dir.file("x.dtm")));
        EXPECT_FALSE(file_exists(dir.file("b.hdr")) || file_exists(dir.file("b.HDR")));
        EXPECT_EQ(read_file(dir.file("y.dtm")), "old");
    }
}

TEST(TaverlinFailure, RefusesNamesLongerThan259Bytes) {
    TempDir dir;
    write_file(dir.file("a.dem"), build_dem(small_dem()));
    const std::string folder(200, 'd');
    std::filesystem::create_directory(dir.file(folder));
    const std::string fits = folder + "/" + std::string(54, 'e') + ".dtm"; // 259 bytes
    RunResult run = taverlin(dir, {"a.dem", fits, "/Q"});
    EXPECT_EQ(run.exit_status, 0) << run.out;
    EXPECT_EQ(read_file(dir.file(fits)), dtm_bytes(ExpectedDtm{}));

    const std::string too_long = folder + "/" + std::string(55, 'e') + ".dtm";
    const std::string error = "File name too long (more than 259 characters): ";
    run = taverlin(dir, {"a.dem", too_long, "/Q"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line(error + too_long) + USAGE);
    EXPECT_FALSE(file_exists(dir.file(too_long)));

    // In a list the line itself counts; a line of 259 bytes is converted.
    const std::string dem_fits = folder + "/" + std::string(54, 'f') + ".dem";
    write_file(dir.file(dem_fits), build_dem(small_dem()));
    const std::string line = folder + "/" + std::string(55, 'e') + ".dem";
    write_file(dir.file("list.txt"), dem_fits + "\n" + line + "\na.dem\n");
    run = taverlin(dir, {"@list.txt", "/Q"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line(error + line + " in line 2 of list file"));
    const std::string upper = std::string(200, 'D') + "/" + std::string(54, 'F');
    EXPECT_EQ(read_file(dir.file("TAVERLIN.logfile")),
              upper + ".DEM...processing to create " + upper + ".DTM...Done\n" + error + line +
                  " in line 2 of list file\n" + "A.DEM...processing to create A.DTM...Done\n");
    EXPECT_EQ(read_file(dir.file(folder + "/" + std::string(54, 'F') + ".DTM")),
              dtm_bytes(ExpectedDtm{}));
}

} // namespace
