// Composes USGS ASCII DEM files for the tests, in the three record layouts
// the reader meets: pure 1024-byte records, a line end after every record,
// and records cut short by a line end.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "textscan/text_reader.hpp"

namespace testing_support {

struct TestProfile {
    int row_id = 1;
    int column_id = 1;
    int elevation_columns = 1;
    double x_start = 0.0;
    double y_start = 0.0;
    double datum_elevation = 0.0;
    double min_elevation = 0.0;
    double max_elevation = 0.0;
    std::vector<int> elevations;
    // When set, written in place of elevations.size() as the count field.
    int count_override = -1;
};

struct TestDem {
    std::string name = "TEST DEM";
    int level_code = 1;
    int elevation_pattern = 1;
    int reference_system = 1;
    int reference_zone = 10;
    int planimetric_units = 2;
    int elevation_units = 2;
    int polygon_sides = 4;
    std::array<std::array<double, 2>, 4> corners{};
    double min_elevation = 0.0;
    double max_elevation = 0.0;
    double rotation = 0.0;
    int accuracy_code = 0;
    double x_resolution = 30.0;
    double y_resolution = 30.0;
    double z_resolution = 1.0;
    int profile_rows = 1;
    int profile_columns = -1; // -1: the number of profiles
    std::vector<TestProfile> profiles;
};

enum class RecordLayout {
    Fixed,    // 1024-byte records, no line ends
    LineEnds, // every 1024-byte record followed by the line end
    CutShort, // trailing blanks of every record dropped, then the line end
};

// Field formatters as the DEM writes them.
std::string format_i6(int value);
std::string format_d24(double value); // D exponent, right-aligned in 24
std::string format_e12(double value); // E exponent, right-aligned in 12

// The 1024-byte Type A record (without line end).
std::string type_a_record(const TestDem& dem);

// The Type B records of one profile, padded to whole 1024-byte records.
std::string type_b_records(const TestProfile& profile);

// A complete DEM file.
std::string build_dem(const TestDem& dem, RecordLayout layout = RecordLayout::Fixed,
                      const std::string& line_end = "\n");

// A profile at (x, y) with the given raw elevations.
TestProfile make_profile(double x, double y, std::vector<int> elevations, int column_id = 1);

// A reader over the given bytes, standing at `position`.
struct BytesReader {
    explicit BytesReader(std::string text, long position = 0)
        : bytes(std::move(text)), in(bytes.data(), bytes.size()) {
        in.seek(position);
    }
    std::string bytes;
    textscan::TextReader in;
};

} // namespace testing_support
