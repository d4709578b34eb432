#include "dem_import/dem_header.hpp"

#include <algorithm>
#include <cstring>

#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

using textscan::format_text;
using textscan::ScanStatus;
using textscan::TextReader;

ScanStatus read_dem_integer(TextReader& in, std::int32_t& value) {
    return textscan::scan_integer(in, 6, value);
}

namespace {

// Reads `Width` bytes and converts them with `scan`; the field text ends
// at its first NUL, with D exponents turned into E.
template <std::size_t Width, typename Value, typename Scan>
ScanStatus read_real_field(TextReader& in, Scan scan, Value& value) {
    char text[Width];
    if (in.read(text, Width) != Width) {
        return ScanStatus::end;
    }
    const std::size_t length = std::find(text, text + Width, '\0') - text;
    std::replace(text, text + length, 'D', 'E');
    TextReader field(text, length);
    return scan(field, value) == ScanStatus::ok ? ScanStatus::ok : ScanStatus::mismatch;
}

bool read(ScanStatus status) {
    return status == ScanStatus::ok;
}

bool read_integer_at(TextReader& in, std::int64_t offset, std::int32_t& value) {
    return in.seek(offset) && read(read_dem_integer(in, value));
}

bool read_double_at(TextReader& in, std::int64_t offset, double& value) {
    return in.seek(offset) && read(read_dem_double(in, value));
}

} // namespace

ScanStatus read_dem_double(TextReader& in, double& value) {
    return read_real_field<24>(in, textscan::scan_double, value);
}

ScanStatus read_dem_float(TextReader& in, float& value) {
    return read_real_field<12>(in, textscan::scan_float, value);
}

DemStatus read_dem_header(TextReader& in, DemHeader& header) {
    constexpr DemStatus unreadable = DemStatus::cannot_read_header;
    char name[30];
    if (!in.seek(0) || in.read(name, sizeof name) != sizeof name) {
        return unreadable;
    }
    std::memcpy(header.name.data(), name, sizeof name);
    header.name[30] = '\0';

    if (!read_integer_at(in, 144, header.level_code) ||
        !read_integer_at(in, 150, header.elevation_pattern) ||
        !read_integer_at(in, 156, header.reference_system) ||
        !read_integer_at(in, 162, header.reference_zone) || !in.seek(168)) {
        return unreadable;
    }
    for (double& parameter : header.projection_parameters) {
        if (!read(read_dem_double(in, parameter))) {
            return unreadable;
        }
    }
    if (!read_integer_at(in, 528, header.planimetric_units) ||
        !read_integer_at(in, 534, header.elevation_units) ||
        !read_integer_at(in, 540, header.polygon_sides) || !in.seek(546)) {
        return unreadable;
    }
    for (auto& corner : header.corners) {
        for (double& coordinate : corner) {
            if (!read(read_dem_double(in, coordinate))) {
                return unreadable;
            }
        }
    }
    if (!read_double_at(in, 738, header.min_elevation) ||
        !read(read_dem_double(in, header.max_elevation)) ||
        !read_double_at(in, 786, header.rotation) ||
        !read_integer_at(in, 810, header.accuracy_code) || !in.seek(816) ||
        !read(read_dem_float(in, header.x_resolution)) ||
        !read(read_dem_float(in, header.y_resolution)) ||
        !read(read_dem_float(in, header.z_resolution)) ||
        !read_integer_at(in, 852, header.profile_rows) ||
        !read(read_dem_integer(in, header.profile_columns))) {
        return unreadable;
    }
    return DemStatus::ok;
}

std::string build_dem_description(const DemHeader& header) {
    return std::string(header.name.data()) + "USGS DEM";
}

std::string format_header_report(const DemHeader& h) {
    std::string report;
    report += format_text("DEM name: %s\n", h.name.data());
    report += format_text("DEM level code: %i\n", h.level_code);
    report += format_text("Elevation pattern: %i\n", h.elevation_pattern);
    report += format_text("Planimetric reference system: %6i   Zone: %6i\n", h.reference_system,
                          h.reference_zone);
    report +=
        format_text("Measurement units...XY:%6i  Z:%6i\n", h.planimetric_units, h.elevation_units);
    report += format_text("DEM corners:  (%lf,%lf)\n", h.corners[0][0], h.corners[0][1]);
    for (std::size_t i = 1; i < h.corners.size(); ++i) {
        report += format_text("              (%lf,%lf)\n", h.corners[i][0], h.corners[i][1]);
    }
    report += format_text("Minimum elevation: %lf   Max: %lf\n", h.min_elevation, h.max_elevation);
    report += format_text("Rotation: %lf\n", h.rotation);
    report += format_text("Resolution...X:%f   Y:%f   Z:%f\n", static_cast<double>(h.x_resolution),
                          static_cast<double>(h.y_resolution), static_cast<double>(h.z_resolution));
    report += format_text("Number of profiles: %6i\n\n\n\n", h.profile_columns);
    return report;
}

DemResult write_header_report(dtm::OutputSink& sink, const DemHeader& header) {
    const std::string report = platform::native_line_ends(format_header_report(header));
    if (!sink.write(report.data(), report.size()) || !sink.commit()) {
        return {DemStatus::cannot_write_report};
    }
    return {};
}

} // namespace taverlin
