// dtminfo run on DTM files the tests write, and on the samples as the two
// converters turn them out.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstring>
#include <nlohmann/json.hpp>
#include <png.h>
#include <sys/stat.h>

#include "dtmfile/dtm_header.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace dtm;

namespace {

RunResult dtminfo(const TempDir& dir, const std::vector<std::string>& arguments) {
    return run_program(DTMINFO_PATH, arguments, dir.path());
}

const std::string BANNER = "\nDTM File Information Utility -- Version 1.00\n\n";

DtmHeader header(float version, std::int16_t data_type, std::int32_t columns, std::int32_t rows) {
    DtmHeader h;
    set_dtm_signature(h);
    set_dtm_description(h, "RIDGE USGS DEM");
    h.version = version;
    h.x_origin = 277500;
    h.y_origin = 5317500.5;
    h.x_spacing = 30;
    h.y_spacing = 10;
    h.column_count = columns;
    h.row_count = rows;
    h.xy_units = 1;
    h.z_units = 0;
    h.data_type = data_type;
    h.coord_system = 1;
    h.coord_zone = 10;
    return h;
}

struct Png {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    int alpha(int x, int y) const {
        return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
    }
    int brightness(int x, int y) const {
        const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
        return p[0] + p[1] + p[2];
    }
};

Png read_png(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Png png;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        ADD_FAILURE() << "not a PNG file: " << path;
        return png;
    }
    image.format = PNG_FORMAT_RGBA;
    png.width = static_cast<int>(image.width);
    png.height = static_cast<int>(image.height);
    png.rgba.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr) == 0) {
        ADD_FAILURE() << "cannot read " << path << ": " << image.message;
    }
    return png;
}

// The text after a label of the text form ("Valid cells:"), to its line end.
std::string text_field(const std::string& text, const std::string& label) {
    std::string line_start(1, '\n');
    line_start += label;
    const std::size_t at = text.find(line_start);
    if (at == std::string::npos) {
        return "(none)";
    }
    const std::size_t start = text.find_first_not_of(' ', at + 1 + label.size());
    return text.substr(start, text.find('\n', start) - start);
}

// A number with its unit as the text form writes it.
std::string quantity_text(const nlohmann::json& q) {
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, q.at("value").get<double>()).ptr;
    std::string text(digits, end);
    return q.at("unit").is_null() ? text : text + " " + q.at("unit").get<std::string>();
}

// The same run with /J: exactly one JSON object on standard output, nothing
// on standard error, the same exit status, and the facts of the text.
nlohmann::json check_json_agrees(const TempDir& dir, std::vector<std::string> arguments,
                                 const RunResult& text) {
    arguments.push_back("/J");
    const RunResult run = dtminfo(dir, arguments);
    EXPECT_EQ(run.exit_status, text.exit_status);
    // Notices (an overwritten picture) go to standard error, never the text.
    EXPECT_EQ(run.err.find("Valid cells:"), std::string::npos);
    const nlohmann::json json = nlohmann::json::parse(run.out); // throws on anything else
    const std::string& out = text.out;
    EXPECT_EQ(json["status"], text.exit_status == 0 ? "ok" : "error");
    EXPECT_EQ(text_field(out, "Signature:"), json["header"]["signature"]);
    EXPECT_EQ(text_field(out, "Description:"),
              nlohmann::json(json["header"]["description"]).dump());
    EXPECT_TRUE(text_field(out, "Grid:")
                    .starts_with(std::to_string(json["header"]["column_count"].get<int>()) +
                                 " columns (west to east) x " +
                                 std::to_string(json["header"]["row_count"].get<int>()) + " rows"));
    EXPECT_EQ(text_field(out, "X spacing:"), quantity_text(json["header"]["x_spacing"]));
    EXPECT_EQ(text_field(out, "File length:"), json["file_length"]["text"]);
    EXPECT_EQ(text_field(out, "Valid cells:"),
              std::to_string(json["cells"]["valid"].get<std::uint64_t>()));
    EXPECT_EQ(text_field(out, "Void cells:"),
              std::to_string(json["cells"]["void"].get<std::uint64_t>()));
    for (const char* key : {"minimum", "maximum"}) {
        std::string label = key;
        label[0] = static_cast<char>(std::toupper(label[0]));
        EXPECT_EQ(text_field(out, label + ":"), quantity_text(json["cells"][key])) << key;
    }
    char mean[64];
    std::snprintf(mean, sizeof mean, "%.8g", json["cells"]["mean"]["value"].get<double>());
    EXPECT_TRUE(text_field(out, "Mean:").starts_with(mean));
    EXPECT_EQ(text_field(out, "Header range:"), json["header_range"]["text"]);
    return json;
}

} // namespace

TEST(Dtminfo, DescribesATaverlinFileFieldByField) {
    TempDir dir;
    DtmHeader h = header(2.0f, DTM_INT16, 3, 2);
    h.z_min = 5;
    h.z_max = 12;
    write_file(dir.file("ridge.dtm"), dtm_file<std::int16_t>(h, {-1, 5, 0, 7, -1, 12}));
    const RunResult run = dtminfo(dir, {"ridge.dtm"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out,
              BANNER +
                  "DTM file:           ridge.dtm\n"
                  "Signature:          VORDA-PC BINARY .DTM\n"
                  "Description:        \"RIDGE USGS DEM\"\n"
                  "Version:            2.00, as TAVERLIN writes it\n"
                  "Cell type:          int16 (code 0), 2 bytes a cell\n"
                  "Void value:         -1 (TAVERLIN's void value, also stored for elevations "
                  "below 0)\n"
                  "Grid:               3 columns (west to east) x 2 rows (south to north), 6 "
                  "cells\n"
                  "X origin:           277500 meters (X of column 0, the westernmost)\n"
                  "Y origin:           5317500.5 meters (Y of row 0, the southernmost)\n"
                  "X spacing:          30 meters\n"
                  "Y spacing:          10 meters\n"
                  "Extent:             X 277500 to 277560, Y 5317500.5 to 5317510.5 meters\n"
                  "Elevation range:    5 to 12 feet\n"
                  "Rotation:           0\n"
                  "XY units:           meters (code 1)\n"
                  "Z units:            feet (code 0)\n"
                  "Coordinate system:  UTM (code 1), zone 10\n"
                  "File length:        212 bytes = 200 + 3 x 2 cells x 2 bytes, complete\n"
                  "Reserved bytes:     zero\n"
                  "\n"
                  "Valid cells:        4\n"
                  "Void cells:         2\n"
                  "Minimum:            0 feet\n"
                  "Maximum:            12 feet\n"
                  "Mean:               6 feet\n"
                  "Header range:       matches the cells above 0, the range TAVERLIN records\n");
}

TEST(Dtminfo, FollowsEachWritersConventions) {
    TempDir dir;
    // BRISKEL: -32767 voids, a range copied from the grid's header.
    DtmHeader h = header(3.0f, DTM_FLOAT32, 2, 2);
    h.z_min = -0.1;
    h.z_max = 7.5;
    write_file(dir.file("g.dtm"), dtm_file<float>(h, {-32767.0f, -0.1f, 7.5f, NAN}));
    RunResult run = dtminfo(dir, {"g.dtm"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("Void value:         -32767 (BRISKEL's void value)\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("Valid cells:        2\nVoid cells:         1\n"
                           "NaN or infinite:    1\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("Header range:       matches the valid cells\n"), std::string::npos);

    // Another version: no void value unless /V gives one.
    h = header(1.5f, DTM_FLOAT64, 1, 3);
    h.z_max = 4;
    write_file(dir.file("v.dtm"), dtm_file<double>(h, {-9999, 2, 4}));
    run = dtminfo(dir, {"v.dtm"});
    EXPECT_NE(run.out.find("Version:            1.50, written by neither TAVERLIN (2.00) nor "
                           "BRISKEL (3.00)\n"
                           "Cell type:          float64 (code 3), 8 bytes a cell\n"
                           "Void value:         none (no void value is known; /V gives one)\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("Valid cells:        3\nMinimum:            -9999 feet\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("differs from the valid cells (-9999 to 4)\n"), std::string::npos);
    run = dtminfo(dir, {"v.dtm", "-v-9999"});
    EXPECT_NE(run.out.find("Void value:         -9999 (from /V)\n"), std::string::npos);
    EXPECT_NE(run.out.find("Valid cells:        2\nVoid cells:         1\n"), std::string::npos);

    // TAVERLIN's reference system 0: X and Y in arc-seconds, also in degrees.
    h = header(2.0f, DTM_INT16, 3, 2);
    h.coord_system = 0;
    h.x_origin = -453480;
    h.y_origin = 172920;
    h.x_spacing = h.y_spacing = 120;
    write_file(dir.file("geo.dtm"), dtm_file<std::int16_t>(h, {1, 2, 3, 4, 5, 6}));
    run = dtminfo(dir, {"geo.dtm"});
    EXPECT_NE(run.out.find("Y origin:           172920 arc-seconds"), std::string::npos);
    EXPECT_NE(run.out.find("Y spacing:          120 arc-seconds\n"
                           "Extent:             X -453480 to -453240, Y 172920 to 173040 "
                           "arc-seconds (X -125.96666666666667 to -125.9, Y 48.03333333333333 to "
                           "48.06666666666667 degrees)\n"),
              std::string::npos);
    const nlohmann::json json = nlohmann::json::parse(dtminfo(dir, {"geo.dtm", "/J"}).out);
    EXPECT_EQ(json["json_version"], 2);
    EXPECT_EQ(json["extent"]["x_last"]["unit"], "arc_seconds");
    EXPECT_EQ(json["extent_degrees"]["y_last"]["value"], 48.06666666666667);
}

TEST(Dtminfo, FaultyFilesEndWithTheirErrorLine) {
    TempDir dir;
    const std::string good = dtm_file<std::int16_t>(header(2.0f, DTM_INT16, 2, 2), {1, 2, 3, 4});
    std::string unknown_type = good;
    unknown_type[154] = 9;
    struct Case {
        std::string bytes;
        std::string error;
        bool header_shown;
    };
    const std::vector<Case> cases = {
        {"DSAA 2 2", "Not a DTM file (it does not begin with \"VORDA-PC BINARY .DTM\"): f.dtm",
         false},
        {good.substr(0, 100), "DTM file ends inside its 160-byte header (100 bytes): f.dtm", false},
        {unknown_type, "Unknown cell type code 9 in DTM file: f.dtm", true},
        {good.substr(0, 207),
         "DTM file is 207 bytes long, 1 short of the 208 its header calls for: f.dtm", true},
        {good + "xy", "DTM file is 210 bytes long, 2 more than the 208 its header calls for: f.dtm",
         true},
    };
    for (const Case& c : cases) {
        write_file(dir.file("f.dtm"), c.bytes);
        const RunResult run = dtminfo(dir, {"f.dtm", "/ipicture.png"});
        EXPECT_EQ(run.exit_status, 1) << c.error;
        EXPECT_TRUE(run.out.ends_with(error_line(c.error))) << run.out;
        EXPECT_EQ(run.out.find("DTM file:") != std::string::npos, c.header_shown) << c.error;
        EXPECT_FALSE(file_exists(dir.file("picture.png"))) << c.error;
        // Quiet: the error line alone.
        EXPECT_EQ(dtminfo(dir, {"f.dtm", "/Q"}).out, error_line(c.error));
    }
}

TEST(Dtminfo, CommandLineFaultsShowTheUsageText) {
    TempDir dir;
    const RunResult usage = dtminfo(dir, {});
    EXPECT_EQ(usage.exit_status, 1);
    EXPECT_TRUE(usage.out.starts_with("DTMINFO usage:\n   DTMINFO source [/Ipicture /Wpixels"));
    EXPECT_EQ(dtminfo(dir, {"/?"}).out, usage.out);
    EXPECT_EQ(dtminfo(dir, {"-h"}).out, usage.out);
    // Asked for on their own, the usage text and the version are no fault.
    const RunResult help = dtminfo(dir, {"--help"}), version = dtminfo(dir, {"--version"});
    EXPECT_EQ(help.exit_status + version.exit_status, 0);
    EXPECT_EQ(help.out + version.out, usage.out + "dtminfo " TERRAIN_PACKAGE_VERSION "\n");

    write_file(dir.file("a.dtm"), dtm_file<std::int16_t>(header(2.0f, DTM_INT16, 1, 1), {5}));
    RunResult run = dtminfo(dir, {"a.dtm", "/w0", "/W16385", "/w2.5", "/vx", "/i", "/k", "b"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, error_line("Bad command line argument: /w0") +
                           error_line("Bad command line argument: /W16385") +
                           error_line("Bad command line argument: /w2.5") +
                           error_line("Bad command line argument: /vx") +
                           error_line("Bad command line argument: /i") +
                           error_line("Bad command line argument: /k") +
                           error_line("Bad command line") + usage.out);
    // A missing file is the run's error, also when its name starts as /H does.
    run = dtminfo(dir, {"/home/nothere.dtm"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, BANNER + error_line("Cannot open DTM file: /home/nothere.dtm"));
    run = dtminfo(dir, {"a.dtm", "/Ia.dtm"});
    EXPECT_EQ(run.out, error_line("Source file name and destination file name cannot be the same") +
                           usage.out);
    // A name that starts with '/' is a file when there is one.
    run = dtminfo(dir, {dir.file("a.dtm"), "/q"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out, "");
}

TEST(Dtminfo, PictureIsNorthUpAndNotMirrored) {
    TempDir dir;
    // Four columns of three rows, file order column by column from the south:
    // a peak in the north-west corner, a void in the south-east one, the
    // cells far apart so that the shading stays flat.
    DtmHeader h = header(3.0f, DTM_FLOAT32, 4, 3);
    h.x_spacing = h.y_spacing = 1e6;
    write_file(dir.file("peak.dtm"),
               dtm_file<float>(h, {10, 10, 900, 10, 10, 10, 10, 10, 10, -32767, 10, 10}));
    RunResult run = dtminfo(dir, {"peak.dtm", "/Ipeak.png", "/Q"});
    ASSERT_EQ(run.exit_status, 0) << run.out;
    Png png = read_png(dir.file("peak.png"));
    ASSERT_EQ(png.width, 4);
    ASSERT_EQ(png.height, 3);
    EXPECT_EQ(png.alpha(3, 2), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            if ((x == 0 && y == 0) || (x == 3 && y == 2)) {
                continue;
            }
            EXPECT_EQ(png.alpha(x, y), 255) << x << "," << y;
            EXPECT_GT(png.brightness(0, 0), png.brightness(x, y) + 150) << x << "," << y;
        }
    }

    // Twice the size: every cell a square of 2 x 2 pixels.
    run = dtminfo(dir, {"peak.dtm", "/Ipeak.png", "/W8"});
    EXPECT_NE(run.out.find("\nPicture:            peak.png, 8 x 6 pixels, 2 x 2 pixels a cell, "
                           "north up\n"),
              std::string::npos);
    png = read_png(dir.file("peak.png"));
    ASSERT_EQ(png.width, 8);
    EXPECT_EQ(png.alpha(6, 4) + png.alpha(7, 5), 0);
    EXPECT_EQ(png.alpha(5, 5), 255);
    EXPECT_EQ(png.brightness(1, 1), png.brightness(0, 0));
}

TEST(Dtminfo, PictureFailuresLeaveOtherFilesAlone) {
    TempDir dir;
    write_file(dir.file("a.dtm"), dtm_file<std::int16_t>(header(2.0f, DTM_INT16, 2, 1), {5, 6}));
    RunResult run = dtminfo(dir, {"a.dtm", "/I/dev/full", "/Q"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, error_line("Cannot write picture file: /dev/full"));
    struct stat device {};
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));

    run = dtminfo(dir, {"a.dtm", "/I" + dir.path(), "/Q"});
    EXPECT_EQ(run.out, error_line("Cannot write picture file: " + dir.path()));

    // Interrupted while the picture is written: no partial picture.
    std::vector<std::int16_t> rough(300 * 300);
    for (std::size_t i = 0; i < rough.size(); ++i) {
        rough[i] = static_cast<std::int16_t>((i * 7919) % 2003);
    }
    write_file(dir.file("rough.dtm"), dtm_file(header(2.0f, DTM_INT16, 300, 300), rough));
    run = run_program(DTMINFO_PATH, {"rough.dtm", "/Irough.png", "/Q"}, dir.path(), {}, 0,
                      interrupted_write(FAIL_OPEN_LIBRARY, "rough.png", 6, SIGINT));
    EXPECT_EQ(run.exit_status, 128 + SIGINT);
    EXPECT_FALSE(file_exists(dir.file("rough.png")));

    write_file(dir.file("empty.dtm"), dtm_file<std::int16_t>(header(2.0f, DTM_INT16, 0, 5), {}));
    run = dtminfo(dir, {"empty.dtm", "/Iempty.png", "/Q"});
    EXPECT_EQ(run.out, error_line("A grid without cells has no picture: empty.dtm"));
    EXPECT_FALSE(file_exists(dir.file("empty.png")));
    EXPECT_EQ(dtminfo(dir, {"empty.dtm", "/Q"}).exit_status, 0);
}

// The samples through both converters: the three grid layouts agree cell
// for cell, and the DEM holds the land of the same grid.
TEST(Dtminfo, DescribesTheConvertedSamples) {
    TempDir dir;
    const std::string samples = SAMPLES_DIR;
    ASSERT_EQ(
        run_program(TAVERLIN_PATH, {samples + "/topobathy_utm10.dem", "dem.dtm", "/Q"}, dir.path())
            .exit_status,
        0);
    RunResult run = dtminfo(dir, {"dem.dtm", "/Idem.png"});
    EXPECT_EQ(run.exit_status, 0);
    const nlohmann::json json = check_json_agrees(dir, {"dem.dtm", "/Idem.png"}, run);
    EXPECT_EQ(json["picture"]["width"], 199);
    EXPECT_EQ(json["header_range"]["compared_with"], "cells_above_0");
    for (const char* line :
         {"Grid:               199 columns (west to east) x 150 rows (south to north), 29850 "
          "cells\n",
          "Coordinate system:  UTM (code 1), zone 10\n", "Valid cells:        17669\n",
          "Void cells:         12181\n", "Maximum:            2174 meters\n",
          "Header range:       matches the cells above 0, the range TAVERLIN records\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line;
    }
    std::string grid_description;
    for (const char* layout : {"dsaa", "dsbb", "dsrb"}) {
        const std::string grid = samples + "/topobathy_utm10_" + layout + ".grd";
        ASSERT_EQ(
            run_program(BRISKEL_PATH, {grid, "g.dtm", "m", "m", "/pm", "/em", "/Q"}, dir.path())
                .exit_status,
            0);
        run = dtminfo(dir, {"g.dtm"});
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_EQ(check_json_agrees(dir, {"g.dtm"}, run)["picture"], nullptr);
        // Only the description (the source's name) and the header's range
        // (the layout's own precision) differ.
        std::string described = run.out.substr(run.out.find("Version:"));
        const std::size_t range = described.find("Elevation range:");
        described.erase(range, described.find('\n', range) - range);
        if (grid_description.empty()) {
            grid_description = described;
        }
        EXPECT_EQ(described, grid_description) << layout;
    }
    for (const char* line : {"Valid cells:        28820\n", "Void cells:         1030\n",
                             "Header range:       matches the valid cells\n"}) {
        EXPECT_NE(grid_description.find(line), std::string::npos) << line;
    }
    const Png png = read_png(dir.file("dem.png"));
    EXPECT_EQ(png.width, 199);
    EXPECT_EQ(png.height, 150);
}

TEST(Dtminfo, JsonKeepsNonFiniteNumbersAndFailuresReadable) {
    TempDir dir;
    DtmHeader h = header(1.5f, DTM_FLOAT64, 2, 2);
    h.x_origin = NAN;
    h.z_max = -INFINITY;
    write_file(dir.file("odd.dtm"), dtm_file<double>(h, {NAN, INFINITY, 0.1, 1e308}));
    RunResult run = dtminfo(dir, {"odd.dtm", "/j"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["header"]["x_origin"],
              nlohmann::json::parse(R"({"value": null, "unit": "meters", "note": "NaN"})"));
    EXPECT_EQ(json["header"]["z_max"]["note"], "-infinity");
    EXPECT_EQ(json["cells"]["not_finite"], 2);
    EXPECT_EQ(json["cells"]["void"], nullptr); // no void value for version 1.50
    EXPECT_EQ(json["cells"]["minimum"]["value"].get<double>(), 0.1); // round-trips exactly
    EXPECT_EQ(json["cells"]["mean"]["value"].get<double>(), (0.1 + 1e308) / 2);

    // A header-only failure: the object with what is known, the error on
    // standard error, the same exit status.
    const std::string good = dtm_file<std::int16_t>(header(2.0f, DTM_INT16, 2, 2), {1, 2, 3, 4});
    write_file(dir.file("short.dtm"), good.substr(0, 207));
    run = dtminfo(dir, {"short.dtm", "/J", "/Ipicture.png"});
    EXPECT_EQ(run.exit_status, 1);
    const std::string error =
        "DTM file is 207 bytes long, 1 short of the 208 its header calls for: short.dtm";
    EXPECT_EQ(run.err, error_line(error));
    json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["status"], "error");
    EXPECT_EQ(json["error"], error);
    EXPECT_EQ(json["file_length"]["result"], "too_short");
    EXPECT_EQ(json["cells"], nullptr);
    EXPECT_EQ(json["picture"], nullptr);
    write_file(dir.file("long.dtm"), good + "xy");
    json = nlohmann::json::parse(dtminfo(dir, {"long.dtm", "/J"}).out);
    EXPECT_EQ(json["status"], "error");
    EXPECT_EQ(json["file_length"]["result"], "too_long");
    EXPECT_EQ(json["file_length"]["bytes"], 210);
    // No header at all, no file, and a command line fault: nothing to describe.
    write_file(dir.file("text.dtm"), "DSAA 2 2");
    run = dtminfo(dir, {"text.dtm", "/J"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(nlohmann::json::parse(run.out)["header"], nullptr);
    run = dtminfo(dir, {"missing.dtm", "/J"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, error_line("Cannot open DTM file: missing.dtm"));
    EXPECT_EQ(nlohmann::json::parse(run.out)["error"], "Cannot open DTM file: missing.dtm");
    run = dtminfo(dir, {"text.dtm", "/J", "/k"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(
        run.err.starts_with(error_line("Bad command line argument: /k") + "DTMINFO usage:"));
}

TEST(Dtminfo, DegreesShadeGeographicGridsAndTheNoteSuggestsThem) {
    TempDir dir;
    // A hill of 1000 m on a BRISKEL grid of 0.01 degrees at 47 N.
    DtmHeader h = header(3.0f, DTM_FLOAT32, 21, 21);
    h.x_origin = -123.1;
    h.y_origin = 47;
    h.x_spacing = h.y_spacing = 0.01;
    h.coord_system = 0;
    std::vector<float> hill;
    for (int c = 0; c < 21; ++c) {
        for (int r = 0; r < 21; ++r) {
            hill.push_back(static_cast<float>(
                1000 * std::exp(-((c - 10) * (c - 10) + (r - 10) * (r - 10)) / 30.0)));
        }
    }
    write_file(dir.file("geo.dtm"), dtm_file(h, hill));
    const auto mean_brightness = [&dir](const std::vector<std::string>& arguments) {
        EXPECT_EQ(dtminfo(dir, arguments).exit_status, 0);
        const Png png = read_png(dir.file("geo.png"));
        double sum = 0;
        for (int y = 0; y < png.height; ++y) {
            for (int x = 0; x < png.width; ++x) {
                sum += png.brightness(x, y) / 3.0;
            }
        }
        return sum / (png.width * png.height);
    };
    // Shaded as meters, the slopes are cliffs and the picture is dark.
    EXPECT_LT(mean_brightness({"geo.dtm", "/Igeo.png", "/Q"}), 60);
    EXPECT_GT(mean_brightness({"geo.dtm", "/Igeo.png", "/Q", "/g"}), 100);

    const std::string note =
        "\nNote:               X and Y look like longitude and latitude; /G shades the picture "
        "in degrees\n";
    EXPECT_NE(dtminfo(dir, {"geo.dtm"}).out.find(note), std::string::npos);
    const RunResult with_g = dtminfo(dir, {"geo.dtm", "/G", "/Igeo.png"});
    EXPECT_EQ(with_g.out.find("Note:"), std::string::npos);
    EXPECT_NE(with_g.out.find(", north up, shaded with X and Y in degrees\n"), std::string::npos);
    const nlohmann::json json =
        nlohmann::json::parse(dtminfo(dir, {"geo.dtm", "/G", "/J", "/Igeo.png"}).out);
    EXPECT_EQ(json["xy_look_like_degrees"], true);
    EXPECT_EQ(json["picture"]["xy_shaded_as"], "degrees");
}
