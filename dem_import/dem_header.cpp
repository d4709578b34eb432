#include "dem_header.hpp"

#include <cstring>

#include "console.hpp"
#include "platform.hpp"

bool read_dem_integer(std::FILE* stream, std::int32_t& value) {
    int converted = 0;
    if (std::fscanf(stream, "%6i", &converted) != 1) {
        return false;
    }
    value = converted;
    return true;
}

namespace {

// Reads `Width` bytes and converts them with `format`; the field text is
// a string ended after its last byte, with D exponents turned into E.
template <std::size_t Width, typename Value>
int read_real_field(std::FILE* stream, const char* format, Value& value) {
    char text[Width + 1];
    if (std::fread(text, 1, Width, stream) != Width) {
        return 0;
    }
    text[Width] = '\0';
    for (char* c = text; *c != '\0'; ++c) {
        if (*c == 'D') {
            *c = 'E';
        }
    }
    Value converted{};
    if (std::sscanf(text, format, &converted) != 1) {
        return 0;
    }
    value = converted;
    return 1;
}

bool seek_to(std::FILE* stream, long offset) {
    return std::fseek(stream, offset, SEEK_SET) == 0;
}

bool read_integer_at(std::FILE* stream, long offset, std::int32_t& value) {
    return seek_to(stream, offset) && read_dem_integer(stream, value);
}

bool read_double_at(std::FILE* stream, long offset, double& value) {
    return seek_to(stream, offset) && read_dem_double(stream, value) == 1;
}

} // namespace

int read_dem_double(std::FILE* stream, double& value) {
    return read_real_field<24>(stream, "%lf", value);
}

int read_dem_float(std::FILE* stream, float& value) {
    return read_real_field<12>(stream, "%f", value);
}

int read_dem_header(std::FILE* stream, DemHeader& header) {
    char name[30];
    if (std::fread(name, 1, sizeof name, stream) != sizeof name) {
        return 1;
    }
    std::memcpy(header.name.data(), name, sizeof name);
    header.name[30] = '\0';

    if (!read_integer_at(stream, 144, header.level_code) ||
        !read_integer_at(stream, 150, header.elevation_pattern) ||
        !read_integer_at(stream, 156, header.reference_system) ||
        !read_integer_at(stream, 162, header.reference_zone) || !seek_to(stream, 168)) {
        return 1;
    }
    for (double& parameter : header.projection_parameters) {
        if (read_dem_double(stream, parameter) != 1) {
            return 1;
        }
    }
    if (!read_integer_at(stream, 528, header.planimetric_units) ||
        !read_integer_at(stream, 534, header.elevation_units) ||
        !read_integer_at(stream, 540, header.polygon_sides) || !seek_to(stream, 546)) {
        return 1;
    }
    for (auto& corner : header.corners) {
        for (double& coordinate : corner) {
            if (read_dem_double(stream, coordinate) != 1) {
                return 1;
            }
        }
    }
    if (!read_double_at(stream, 738, header.min_elevation) ||
        read_dem_double(stream, header.max_elevation) != 1 ||
        !read_double_at(stream, 786, header.rotation) ||
        !read_integer_at(stream, 810, header.accuracy_code) || !seek_to(stream, 816) ||
        read_dem_float(stream, header.x_resolution) != 1 ||
        read_dem_float(stream, header.y_resolution) != 1 ||
        read_dem_float(stream, header.z_resolution) != 1 ||
        !read_integer_at(stream, 852, header.profile_rows) ||
        !read_dem_integer(stream, header.profile_columns)) {
        return 1;
    }
    return 0;
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

void write_header_report(const std::string& path, const DemHeader& header) {
    platform::UniqueFile file = platform::open_write_stream(path, "w");
    if (!file) {
        return;
    }
    const std::string report = format_header_report(header);
    std::fwrite(report.data(), 1, report.size(), file.get());
}
