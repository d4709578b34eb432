// Single-file conversions: console output, DTM bytes in every record layout,
// unit conversion, the header report, unit codes missing from the DEM and
// the sample DEM against its Surfer grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <fstream>

#include "dtmfile/dtm_reader.hpp"
#include "dtmfile_io/dtm_file_reader.hpp"
#include "tests/dem_import/taverlin_run.hpp"

using namespace taverlin_test;

namespace {

TEST(TaverlinConversion, PrintsProgressSummaryAndCompletion) {
    TempDir dir;
    TestDem dem;
    // The scan reads the header's 9 profiles, whose extent spans 21 columns; the
    // reformatting fills them with the first 21 profiles, one per column in file order.
    for (int i = 0; i < 21; ++i) {
        dem.profiles.push_back(make_profile(i == 8 ? 1100 : 500 + 30 * i, 100, {i + 1}, i + 1));
    }
    dem.profile_columns = 9;
    write_file(dir.file("a.dem"), build_dem(dem));
    const RunResult run = taverlin(dir, {"a.dem", "a.dtm"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, BANNER + progress("Scanning DEM file to determine data limits", 9) +
                           summary("a.dem", "a.dtm", "a.HDR") +
                           progress("Reformatting DEM file", 21) +
                           "Format conversion complete\n\n");
    DtmFile dtm;
    ASSERT_EQ(read_dtm_file(dir.file("a.dtm"), dtm), DtmReadStatus::ok);
    ASSERT_EQ(dtm.header.column_count, 21);
    for (int c = 0; c < 21; ++c) {
        EXPECT_EQ(dtm.cell(c, 0), c + 1);
    }

    // /S: no progress text at all, alone and in a batch.
    const RunResult silent = taverlin(dir, {"a.dem", "b.dtm", "/S"});
    EXPECT_EQ(silent.out,
              BANNER + summary("a.dem", "b.dtm", "b.HDR") + "Format conversion complete\n\n");
    write_file(dir.file("c.dem"), build_dem(dem));
    write_file(dir.file("list.txt"), "c.dem\n");
    const RunResult batch = taverlin(dir, {"@list.txt", "/S"});
    EXPECT_EQ(batch.exit_status, 0);
    EXPECT_EQ(batch.out, BANNER + "Processing DEM file: C.DEM to create C.DTM\n" +
                             summary("C.DEM", "C.DTM", "C.HDR") + "Format conversion complete\n\n" +
                             "See TAVERLIN.logfile for error information\n");
}

TEST(TaverlinConversion, EveryRecordLayoutGivesTheSameDtm) {
    TestDem dem = small_dem();
    ExpectedDtm expected = with_cells(1, 1, 1, 150, std::vector<std::int16_t>(3 * 150, -1));
    expected.rows = 150;
    dem.profiles[0].elevations.resize(150); // over two records
    for (int i = 0; i < 150; ++i) {
        dem.profiles[0].elevations[i] = i + 1;
        expected.cells[i] = static_cast<std::int16_t>(i + 1);
    }
    expected.cells[152] = 7;
    expected.cells[153] = 8;
    expected.cells[301] = 5;
    const std::vector<std::pair<RecordLayout, std::string>> layouts = {
        {RecordLayout::Fixed, ""},      {RecordLayout::LineEnds, "\r\n"},
        {RecordLayout::LineEnds, "\n"}, {RecordLayout::CutShort, "\r\n"},
        {RecordLayout::CutShort, "\n"},
    };
    for (const auto& [layout, line_end] : layouts) {
        TempDir dir;
        write_file(dir.file("a.dem"), build_dem(dem, layout, line_end));
        EXPECT_EQ(taverlin(dir, {"a.dem", "a.dtm", "/Q"}).exit_status, 0);
        EXPECT_EQ(read_file(dir.file("a.dtm")), dtm_bytes(expected))
            << "layout " << static_cast<int>(layout) << ", line end of " << line_end.size();
    }
}

TEST(TaverlinConversion, ConvertsUnitsOfHeaderAndCells) {
    const std::vector<std::int16_t> in_feet = {32, 0, -1, 161, -1, -1, 22, 26, -1, 16, -1, -1};
    const std::vector<std::int16_t> unchanged = ExpectedDtm{}.cells;
    struct Case {
        int dem_units; // of planimetric values and elevations
        std::vector<std::string> options;
        double xy_factor;
        ExpectedDtm expected;
    };
    const std::vector<Case> cases = {
        {2, {}, 1.0, ExpectedDtm{}},
        // Every void stays -1 in either unit, also inside a profile.
        {2, {"/XF", "/ZF"}, 3.280839895, with_cells(0, 0, 16, 161, in_feet)},
        {2, {"/ZF"}, 1.0, with_cells(1, 0, 16, 161, in_feet)},
        {2, {"/XF"}, 3.280839895, with_cells(0, 1, 5, 10, unchanged)},
        {1,
         {"/XM", "/ZM"},
         0.3048,
         with_cells(1, 1, 1, 12192, {3, 0, -1, 12192, -1, -1, 2, 2, -1, 1, -1, -1})},
        {1, {"/XF", "/ZF"}, 1.0, with_cells(0, 0, 5, 10, unchanged)},
    };
    for (const Case& c : cases) {
        TempDir dir;
        TestDem dem = small_dem();
        dem.planimetric_units = dem.elevation_units = c.dem_units;
        write_file(dir.file("a.dem"), build_dem(dem));
        std::vector<std::string> arguments = {"a.dem", "a.dtm", "/Q"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(taverlin(dir, arguments).exit_status, 0);
        ExpectedDtm e = c.expected;
        e.x_origin = 1000 * c.xy_factor;
        e.y_origin = 2000 * c.xy_factor;
        e.x_spacing = e.y_spacing = 30 * c.xy_factor;
        EXPECT_EQ(read_file(dir.file("a.dtm")), dtm_bytes(e)) << testing::PrintToString(c.options);
    }
}

TEST(TaverlinConversion, ElevationIsDatumPlusCountTimesFloatResolution) {
    TempDir dir;
    TestDem dem = small_dem();
    dem.z_resolution = 0.7; // read as float32: 0.699999988
    dem.profiles = {make_profile(1000, 2000, {10, -143, -142, 0}, 1)};
    dem.profiles[0].datum_elevation = 100;
    write_file(dir.file("a.dem"), build_dem(dem));
    ASSERT_EQ(taverlin(dir, {"a.dem", "a.dtm", "/Q"}).exit_status, 0);
    ExpectedDtm e = with_cells(1, 1, 100, 106, {106, -1, 0, 100});
    e.columns = 1;
    EXPECT_EQ(read_file(dir.file("a.dtm")), dtm_bytes(e));
}

TEST(TaverlinConversion, ReadsDecimalZerosAndLowerCaseExponentsAsTheyStand) {
    TempDir dir;
    std::string text = build_dem(small_dem());
    text.replace(162, 6, " 00010");                    // zone: decimal 10
    text.replace(786, 24, "   2.500000000000000d-01"); // rotation: mantissa only
    // An elevation with leading zeros is one value, not two.
    text = patched(text, 1, text.find("    10", 1024 + 144) - 1024, "  0010");
    write_file(dir.file("a.dem"), text);
    ASSERT_EQ(taverlin(dir, {"a.dem", "a.dtm", "/Q"}).exit_status, 0);
    ExpectedDtm e;
    e.coord_zone = 10;
    e.rotation = 2.5;
    EXPECT_EQ(read_file(dir.file("a.dtm")), dtm_bytes(e));
}

TEST(TaverlinConversion, NegativeCoordinatesGiveTheSameGrid) {
    // West of Greenwich and south of the equator: every X and Y below 0.
    TestDem dem = small_dem();
    for (TestProfile& profile : dem.profiles) {
        profile.x_start -= 5000;
        profile.y_start -= 5000;
    }
    TempDir dir;
    write_file(dir.file("a.dem"), build_dem(dem));
    ASSERT_EQ(taverlin(dir, {"a.dem", "a.dtm", "/Q"}).exit_status, 0);
    ExpectedDtm e;
    e.x_origin = -4000;
    e.y_origin = -3000;
    EXPECT_EQ(read_file(dir.file("a.dtm")), dtm_bytes(e));
}

TEST(TaverlinConversion, GeographicSampleKeepsArcSecondsWestOfGreenwich) {
    TempDir dir;
    write_file(dir.file("geo.dem"), read_file(SAMPLES_DIR "/topobathy_geographic.dem"));
    const RunResult run = taverlin(dir, {"geo.dem", "geo.dtm", "/S", "/PM", "/EM"});
    EXPECT_EQ(run.exit_status, 0) << run.out;
    DtmFile dtm;
    ASSERT_EQ(read_dtm_file(dir.file("geo.dtm"), dtm), DtmReadStatus::ok);
    EXPECT_EQ(dtm.header.column_count, 120);
    EXPECT_EQ(dtm.header.row_count, 59);
    EXPECT_EQ(dtm.header.x_origin, -453480);
    EXPECT_EQ(dtm.header.y_origin, 172920);
    EXPECT_EQ(dtm.header.x_spacing, 120);
    EXPECT_EQ(dtm.header.coord_system, 0);
    EXPECT_EQ(dtm.header.z_max, 2016);
    EXPECT_EQ(std::count(dtm.cells.begin(), dtm.cells.end(), -1.0), 120 * 59 - 4510);
}

TEST(TaverlinConversion, FindsTheFirstProfileWhateverTheTypeARecordHolds) {
    // Control bytes in the name or line ends in the free text before the
    // fields: the reformatting pass still starts at the first profile.
    const std::string dem = build_dem(small_dem());
    const std::vector<std::pair<std::size_t, std::string>> damages = {
        {4, "\t"}, {4, std::string(1, '\0')}, {100, "\r\n"}};
    for (const auto& [offset, bytes] : damages) {
        TempDir dir;
        write_file(dir.file("a.dem"), std::string(dem).replace(offset, bytes.size(), bytes));
        const RunResult run = taverlin(dir, {"a.dem", "a.dtm", "/Q"});
        EXPECT_EQ(run.exit_status, 0) << run.out;
        EXPECT_EQ(read_file(dir.file("a.dtm")).substr(200), dtm_bytes(ExpectedDtm{}).substr(200))
            << "at byte " << offset;
    }
}

TEST(TaverlinConversion, RangeKeepsItsStartValuesWithoutPositiveElevations) {
    TempDir dir;
    TestDem dem = small_dem();
    dem.profiles = {make_profile(1000, 2000, {0, -3}, 1), make_profile(1030, 2000, {-1}, 2)};
    write_file(dir.file("a.dem"), build_dem(dem));
    ASSERT_EQ(taverlin(dir, {"a.dem", "a.dtm", "/Q"}).exit_status, 0);
    ExpectedDtm e = with_cells(1, 1, DBL_MAX, DBL_MIN, {0, -1, -1, -1});
    e.columns = 2;
    e.rows = 2;
    EXPECT_EQ(read_file(dir.file("a.dtm")), dtm_bytes(e));
}

TEST(TaverlinConversion, CutsAProfileThatOverrunsItsColumn) {
    // So far north that y + 1 rounds back to y: the extent holds 5 rows while
    // the second profile starts 4 rows up with 2 elevations.
    TempDir dir;
    TestDem dem;
    dem.x_resolution = dem.y_resolution = 1;
    const double y = 9007199254740992.0;
    dem.profiles = {make_profile(0, y, {1}, 1), make_profile(1, y + 4, {7, 8}, 2),
                    make_profile(2, y, {3}, 3)};
    write_file(dir.file("a.dem"), build_dem(dem));
    ASSERT_EQ(taverlin(dir, {"a.dem", "a.dtm", "/Q"}).exit_status, 0);
    DtmFile dtm;
    ASSERT_EQ(read_dtm_file(dir.file("a.dtm"), dtm), DtmReadStatus::ok);
    ASSERT_EQ(dtm.header.row_count, 5);
    EXPECT_EQ(dtm.cells,
              (std::vector<double>{1, -1, -1, -1, -1, -1, -1, -1, -1, 7, 3, -1, -1, -1, -1}));
}

TEST(TaverlinConversion, WritesHeaderReportWithValuesAsRead) {
    TempDir dir;
    write_file(dir.file("a.dem"), build_dem(small_dem()));
    ASSERT_EQ(taverlin(dir, {"a.dem", "a.dtm", "/Q", "/XF", "/ZF"}).exit_status, 0);
    EXPECT_EQ(read_file(dir.file("a.HDR")), "DEM name: TEST DEM                      \n"
                                            "DEM level code: 1\n"
                                            "Elevation pattern: 1\n"
                                            "Planimetric reference system:      2   Zone:   4203\n"
                                            "Measurement units...XY:     2  Z:     2\n"
                                            "DEM corners:  (1000.000000,2000.000000)\n"
                                            "              (1000.000000,2111.000000)\n"
                                            "              (1060.000000,2111.000000)\n"
                                            "              (1060.000000,2000.000000)\n"
                                            "Minimum elevation: -5.000000   Max: 40000.000000\n"
                                            "Rotation: 0.250000\n"
                                            "Resolution...X:30.000000   Y:30.000000   Z:1.000000\n"
                                            "Number of profiles:      3\n\n\n\n");
}

TEST(TaverlinConversion, SettlesUnitCodesMissingFromTheDem) {
    const std::string xy_error =
        error_line("Planimetric units must be either feet (code = 1) or meters (code = 2)");
    const std::string z_error =
        error_line("Elevation units must be either feet (code = 1) or meters (code = 2)");
    const std::string blank = std::string(76, ' ') + "\r";
    const std::string ask_xy =
        "Planimetric measurement units for source USGS DEM file? [F]eet or [M]eters\r" + blank;
    const std::string ask_z =
        "Elevation measurement units for source USGS DEM file? [F]eet or [M]eters" + blank;
    const std::string end = "ERROR: End of input: ";
    struct Case {
        int xy_code, z_code;
        std::vector<std::string> options;
        std::string input;
        std::string messages;        // between the banner and the summary
        int xy, z;                   // the settled codes
        int dest_xy = 0, dest_z = 0; // the DTM's codes when /X or /Z gives them
        double x_origin = 1000;
        std::int16_t first_cell = 10;
    };
    const std::vector<Case> cases = {
        // Without /V only the invalid code takes its fallback, in the header
        // and in the cells alike.
        {2, 0, {}, "", z_error, 2, 1},
        {0, 2, {"/PM", "-ef"}, "", xy_error, 2, 2},
        {3, 7, {"/EM"}, "", xy_error, 1, 2},
        {2, 0, {"/ZF", "/XM"}, "", z_error, 2, 1, 2, 1},
        {0, 2, {"/ZF", "/XM"}, "", xy_error, 1, 2, 2, 1, 304.8, 32},
        // With /V only an invalid code is asked for; other keys are ignored.
        {2, 0, {"/V"}, "xm", z_error + ask_z, 2, 2},
        {2, 0, {"/V"}, std::string("\0mf", 3), z_error + ask_z, 2, 1},
        {0, 0, {"-v"}, "Fm", xy_error + ask_xy + ask_z, 1, 2},
        {2,
         0,
         {"/V"},
         "x",
         z_error + ask_z + end + "elevation units taken as feet (code = 1)\n",
         2,
         1},
        {0,
         1,
         {"/V", "/PM"},
         "",
         xy_error + ask_xy + end + "planimetric units taken as meters (code = 2)\n",
         2,
         1},
    };
    const char* names[] = {"", "FEET  ", "METERS"};
    for (const Case& c : cases) {
        TempDir dir;
        TestDem dem = small_dem();
        dem.planimetric_units = c.xy_code;
        dem.elevation_units = c.z_code;
        write_file(dir.file("a.dem"), build_dem(dem));
        std::vector<std::string> arguments = {"a.dem", "a.dtm", "/S"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const RunResult run = taverlin(dir, arguments, c.input);
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_EQ(run.out, BANNER + c.messages +
                               summary("a.dem", "a.dtm", "a.HDR", names[c.xy], names[c.z],
                                       names[c.dest_xy ? c.dest_xy : c.xy],
                                       names[c.dest_z ? c.dest_z : c.z]) +
                               "Format conversion complete\n\n")
            << testing::PrintToString(c.options) << " input " << testing::PrintToString(c.input);
        DtmHeader header;
        DtmFileFacts facts;
        ASSERT_EQ(read_dtm_header(dir.file("a.dtm"), header, facts), DtmReadStatus::ok);
        EXPECT_EQ(header.xy_units, (c.dest_xy ? c.dest_xy : c.xy) - 1);
        EXPECT_EQ(header.z_units, (c.dest_z ? c.dest_z : c.z) - 1);
        EXPECT_DOUBLE_EQ(header.x_origin, c.x_origin);
        EXPECT_EQ(read_file(dir.file("a.dtm")).substr(200, 2),
                  std::string({static_cast<char>(c.first_cell), 0}));
        EXPECT_NE(read_file(dir.file("a.HDR"))
                      .find("Measurement units...XY:     " + std::to_string(c.xy) +
                            "  Z:     " + std::to_string(c.z) + "\n"),
                  std::string::npos);
    }
}

TEST(TaverlinConversion, SampleDemMatchesItsSurferGrid) {
    TempDir dir;
    write_file(dir.file("sample.dem"), read_file(SAMPLES_DIR "/topobathy_utm10.dem"));
    ASSERT_EQ(taverlin(dir, {"sample.dem", "sample.dtm", "/Q"}).exit_status, 0);
    DtmFile dtm;
    ASSERT_EQ(read_dtm_file(dir.file("sample.dtm"), dtm), DtmReadStatus::ok);

    std::ifstream grid(SAMPLES_DIR "/topobathy_utm10_dsaa.grd");
    std::string tag;
    int columns = 0, rows = 0;
    double x_low, x_high, y_low, y_high, z_low, z_high;
    grid >> tag >> columns >> rows >> x_low >> x_high >> y_low >> y_high >> z_low >> z_high;
    ASSERT_EQ(tag, "DSAA");
    ASSERT_EQ(std::make_pair(columns, rows), std::make_pair(199, 150));
    ASSERT_EQ(dtm.header.column_count, columns);
    ASSERT_EQ(dtm.header.row_count, rows);
    EXPECT_EQ(dtm.header.x_origin, x_low);
    EXPECT_EQ(dtm.header.y_origin, y_low);
    EXPECT_NEAR(dtm.header.z_max, z_high, 1.0);
    EXPECT_GE(dtm.header.z_min, 1.0);

    int mismatches = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            double node = 0;
            ASSERT_TRUE(grid >> node);
            const double cell = dtm.cell(c, r);
            // The DEM holds the node in whole meters; negatives become voids.
            const bool ok = node >= 1.70141e38 || node < -1.5
                                ? cell == -1
                                : std::abs(cell - std::max(std::round(node), -1.0)) <= 1;
            if (!ok && ++mismatches <= 5) {
                ADD_FAILURE() << "column " << c << " row " << r << ": node " << node << ", cell "
                              << cell;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
