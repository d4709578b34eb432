// Shared pieces of the taverlin black-box tests: running the program, its
// fixed texts, a small DEM and the DTM file it must produce.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/dem_builder.hpp"
#include "tests/support/test_files.hpp"

namespace taverlin_test {

using namespace testing_support;
using namespace dtm;

inline RunResult taverlin(const TempDir& dir, const std::vector<std::string>& arguments,
                          const std::string& input = {}, std::uint64_t file_size_limit = 0,
                          const std::vector<std::string>& environment = {}) {
    return run_program(TAVERLIN_PATH, arguments, dir.path(), input, file_size_limit, environment);
}

inline const std::string BANNER = "\nUSGS DEM Import Utility -- Version 2.00\n\n";

inline const std::string USAGE =
    "TAVERLIN usage:\n"
    "   TAVERLIN source dest [/Xunits] [/Zunits] [/Q]\n"
    "   source   name of source USGS DEM data file\n"
    "   dest     name of reformatted DTM data file\n"
    "   /Xunits  desired units of measurement for planimetric (XY) data\n"
    "   /Zunits  desired units of measurement for elevation (Z) data\n"
    "   /Eunits  input units for elevation (Z) data...only used if \n"
    "            unit flag is missing in input file\n"
    "   /Punits  input units for planimetricn (XY) data...only used if \n"
    "            unit flag is missing in input file\n"
    "   /Q       suppress all output to the screen\n"
    "   /V       prompt for units if missing in input file\n"
    "-OR-\n"
    "   TAVERLIN @list [/Xunits] [/Zunits] [/Q]\n"
    "   @list    name of a text file containing a list of USGS DEM data files.\n"
    "            List file should be arranged with one file per line\n"
    "            Converted files will be stored in files with the extension .DTM\n"
    "Notes:\n"
    "   - unit choices are FEET or METERS or F or M\n"
    "   - source and destination file names must be different\n"
    "   - existing destination file will be overwritten\n";

// The five summary lines; units are "FEET  " or "METERS".
inline std::string summary(const std::string& source, const std::string& dest,
                           const std::string& report, const std::string& source_xy = "METERS",
                           const std::string& source_z = "METERS",
                           const std::string& dest_xy = "METERS",
                           const std::string& dest_z = "METERS") {
    return "Source USGS DEM file: " + source + "\nDestination DTM file: " + dest +
           "\nUSGS DEM header information written to: " + report +
           "\n\nSource USGS DEM units...planimetric: " + source_xy + "  elevation: " + source_z +
           "\nDestination DTM units...planimetric: " + dest_xy + "  elevation: " + dest_z + "\n\n";
}

// A progress line with its counters every 10 profiles and the clearing line.
inline std::string progress(const char* label, int profiles) {
    char text[128];
    std::snprintf(text, sizeof text, "%s...profile       of %5i", label, profiles);
    std::string line = text + std::string(9, '\b');
    for (int p = 10; p <= profiles; p += 10) {
        std::snprintf(text, sizeof text, "\b\b\b\b\b%5i", p);
        line += text;
    }
    return line + "\r" + std::string(70, ' ') + "\r";
}

// Three profiles, 30-unit spacing: column 0 from y_min with a zero, a
// negative and an int16 overflow; column 1 starting 2.7 spacings up;
// column 2 one spacing up with trailing voids. 3 columns x 4 rows.
inline TestDem small_dem() {
    TestDem dem;
    dem.reference_system = 2;
    dem.reference_zone = 4203;
    dem.rotation = 0.25;
    dem.min_elevation = -5;
    dem.max_elevation = 40000;
    dem.corners = {{{1000, 2000}, {1000, 2111}, {1060, 2111}, {1060, 2000}}};
    dem.profiles = {make_profile(1000, 2000, {10, 0, -5, 40000}, 1),
                    make_profile(1030, 2081, {7, 8}, 2), make_profile(1060, 2030, {5}, 3)};
    return dem;
}

// Overwrites bytes of a DEM of 1024-byte records inside record `record`.
inline std::string patched(std::string dem, int record, std::size_t offset,
                           const std::string& text) {
    return dem.replace(1024 * static_cast<std::size_t>(record) + offset, text.size(), text);
}

struct ExpectedDtm {
    std::string description = std::string("TEST DEM") + std::string(22, ' ') + "USGS DEM";
    double x_origin = 1000, y_origin = 2000, z_min = 5, z_max = 10, rotation = 0.25;
    double x_spacing = 30, y_spacing = 30;
    std::int32_t columns = 3, rows = 4;
    std::int16_t xy_units = 1, z_units = 1, coord_system = 2, coord_zone = 4203;
    std::vector<std::int16_t> cells{10, 0, -1, -25536, -1, -1, 7, 8, -1, 5, -1, -1};
};

inline ExpectedDtm with_cells(std::int16_t xy, std::int16_t z, double z_min, double z_max,
                              std::vector<std::int16_t> cells) {
    ExpectedDtm e;
    e.xy_units = xy;
    e.z_units = z;
    e.z_min = z_min;
    e.z_max = z_max;
    e.cells = std::move(cells);
    return e;
}

// The DTM file byte for byte.
inline std::string dtm_bytes(const ExpectedDtm& e) {
    std::string out = dtm_header_bytes(
        {e.description, 2.0f, e.x_origin, e.y_origin, e.z_min, e.z_max, e.rotation, e.x_spacing,
         e.y_spacing, e.columns, e.rows, e.xy_units, e.z_units, 0, e.coord_system, e.coord_zone});
    for (std::int16_t cell : e.cells) {
        out += std::string{static_cast<char>(cell & 0xFF), static_cast<char>((cell >> 8) & 0xFF)};
    }
    return out;
}

} // namespace taverlin_test
