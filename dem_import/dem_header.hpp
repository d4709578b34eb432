// The Type A record of a USGS ASCII DEM, its field readers, the ".HDR"
// report and the description carried into the DTM header.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "dem_import/dem_status.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "textscan/number_scan.hpp"
#include "textscan/text_reader.hpp"

namespace taverlin {

struct DemHeader {
    std::array<char, 31> name{}; // first 30 bytes of the file and a NUL
    std::int32_t level_code = 0;
    std::int32_t elevation_pattern = 0;
    std::int32_t reference_system = 0;
    std::int32_t reference_zone = 0;
    std::array<double, 15> projection_parameters{};
    std::int32_t planimetric_units = 0; // DemUnit: 1 feet, 2 meters
    std::int32_t elevation_units = 0;
    std::int32_t polygon_sides = 0;
    std::array<std::array<double, 2>, 4> corners{}; // x, y of each corner
    double min_elevation = 0.0;
    double max_elevation = 0.0;
    double rotation = 0.0;
    std::int32_t accuracy_code = 0;
    float x_resolution = 0.0f;
    float y_resolution = 0.0f;
    float z_resolution = 0.0f;
    std::int32_t profile_rows = 0;
    std::int32_t profile_columns = 0; // number of Type B profiles
};

// The fields of a DEM, each read as one number (ok) or not (mismatch, or
// end at the end of the file).
// An I6 field: "%6d" from the current position (white space skipped,
// decimal digits).
textscan::ScanStatus read_dem_integer(textscan::TextReader& in, std::int32_t& value);

// A D24.15 field: exactly 24 bytes, upper-case D exponents read as E, then
// "%lf".
textscan::ScanStatus read_dem_double(textscan::TextReader& in, double& value);

// An E12.6 field: exactly 12 bytes read with "%f".
textscan::ScanStatus read_dem_float(textscan::TextReader& in, float& value);

// Reads the Type A fields from the start of the file: ok, or
// cannot_read_header at the first field that fails. Leaves the reader after
// profile_columns.
DemStatus read_dem_header(textscan::TextReader& in, DemHeader& header);

// The DEM name up to its NUL followed directly by "USGS DEM".
std::string build_dem_description(const DemHeader& header);

// The text of the ".HDR" report.
std::string format_header_report(const DemHeader& header);

// Writes the report into the sink and commits it: cannot_write_report when
// it cannot be written whole (the sink then discards it).
DemResult write_header_report(dtm::OutputSink& sink, const DemHeader& header);

} // namespace taverlin
