// Shared pieces of the briskel black-box tests: running the program, its
// fixed texts, a small grid and the DTM file it must produce.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/grid_builder.hpp"
#include "tests/support/test_files.hpp"

namespace briskel_test {

using namespace testing_support;
using namespace dtm;

inline RunResult briskel(const TempDir& dir, const std::vector<std::string>& arguments,
                         std::uint64_t file_size_limit = 0,
                         const std::vector<std::string>& environment = {}) {
    return run_program(BRISKEL_PATH, arguments, dir.path(), {}, file_size_limit, environment);
}

inline const std::string BANNER = "\nSurfer GRD Import Utility -- Version 1.00\n\n";

inline const std::string USAGE =
    "BRISKEL usage:\n"
    "   BRISKEL source dest xyunits zunits [/Scoordsys /Zzone /Punits /Eunits /Q /H]\n"
    "   source   name of source SURFER GRD data file\n"
    "   dest     name of reformatted VORDA DTM data file\n"
    "   xyunits  units in source file for XY data (F=feet, M=meters)\n"
    "   zunits   units in source file for elevation data (F=feet, M=meters)\n"
    "   /Ssys    coordinate system (UTM or SP)\n"
    "   /Zzone   coordinate system zone\n"
    "   /Punits  units for XY data in output DTM\n"
    "   /Eunits  units for elevation data in output DTM\n"
    "   /Q       suppress all output to the screen\n"
    "Example command line:\n"
    "   BRISKEL helens2.grd helens.dtm f f /sutm /z10\n"
    "Notes:\n"
    "   - source and destination file names must be different\n"
    "   - existing destination file will be overwritten\n";

inline std::string summary(const std::string& source, const std::string& dest, int rows = 3,
                           int columns = 4) {
    return "Source Surfer GRD file: " + source + "\nDestination DTM file: " + dest +
           "\nModel grid is " + std::to_string(rows) + " rows and " + std::to_string(columns) +
           " columns\n";
}

struct ExpectedDtm {
    std::string description = "g.grd";
    double x_origin = 1000, y_origin = 2000, z_min = -5, z_max = 20, rotation = 0;
    double x_spacing = 25, y_spacing = 50;
    std::int32_t columns = 4, rows = 3;
    std::int16_t xy_units = 0, z_units = 0, coord_system = 0, coord_zone = 0;
    // Column by column, each from the south row.
    std::vector<float> cells{-2.5, 4.25, 8, 0, 5, 9.5, 1.5, 6.75, 10, 3, 7, 12.5};
};

// The small grid's DTM with planimetric values times `xy` and elevations times `z`.
inline ExpectedDtm scaled(double xy, double z, std::int16_t xy_units, std::int16_t z_units) {
    ExpectedDtm e;
    for (double* v : {&e.x_origin, &e.y_origin, &e.x_spacing, &e.y_spacing}) {
        *v *= xy;
    }
    e.z_min *= z;
    e.z_max *= z;
    for (float& cell : e.cells) {
        cell = static_cast<float>(cell * z);
    }
    e.xy_units = xy_units;
    e.z_units = z_units;
    return e;
}

inline std::string dtm_bytes(const ExpectedDtm& e) {
    std::string out = dtm_header_bytes(
        {e.description, 3.0f, e.x_origin, e.y_origin, e.z_min, e.z_max, e.rotation, e.x_spacing,
         e.y_spacing, e.columns, e.rows, e.xy_units, e.z_units, 2, e.coord_system, e.coord_zone});
    for (float cell : e.cells) {
        out += le(cell);
    }
    return out;
}

// Converts `source` as g.grd into g.dtm with the further arguments; the DTM's bytes.
inline std::string convert(const std::string& source, std::vector<std::string> arguments) {
    TempDir dir;
    write_file(dir.file("g.grd"), source);
    arguments.insert(arguments.begin(), {"g.grd", "g.dtm"});
    const RunResult run = briskel(dir, arguments);
    EXPECT_EQ(run.exit_status, 0) << run.out;
    return file_exists(dir.file("g.dtm")) ? read_file(dir.file("g.dtm")) : std::string();
}

} // namespace briskel_test
