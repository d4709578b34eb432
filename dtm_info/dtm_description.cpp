#include "dtm_info/dtm_description.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "dtmfile/units.hpp"
#include "textscan/text_format.hpp"

namespace dtminfo {

using dtm::DtmFileFacts;
using dtm::DtmHeader;
using dtm::DtmReadStatus;
using textscan::format_text;

namespace {

// The name of a unit code, none when it names no unit.
const char* known_unit_word(int code) {
    return dtm::unit_from_dtm_code(code) ? unit_word(code) : nullptr;
}

// A number's text followed by its unit, when the unit is known.
std::string with_unit(const std::string& number, const char* unit) {
    return unit != nullptr ? number + " " + unit : number;
}

std::string with_unit(double value, const char* unit) {
    return with_unit(format_number(value), unit);
}

std::string with_unit(const std::string& number, int unit) {
    return with_unit(number, known_unit_word(unit));
}

std::string with_unit(double value, int unit) {
    return with_unit(format_number(value), unit);
}

// X and Y's unit: arc-seconds by the writer's convention, else the header's.
const char* xy_unit_word(const DtmHeader& header) {
    return dtm::holds_arc_seconds(header) ? "arc-seconds" : known_unit_word(header.xy_units);
}

std::string describe_extent(const GridExtent& extent, const char* unit) {
    return format_text("X %s to %s, Y %s to %s", format_number(extent.x_first).c_str(),
                       format_number(extent.x_last).c_str(), format_number(extent.y_first).c_str(),
                       with_unit(extent.y_last, unit).c_str());
}

// TAVERLIN's range when no cell was above 0, as its search started.
bool range_left_at_start(const DtmHeader& header) {
    return dtm::is_empty_range(dtm::convention_of(dtm::Writer::taverlin), header.z_min,
                               header.z_max);
}

// Printable text of a fixed, NUL-padded header field: up to its first NUL,
// other control bytes shown as '?'.
template <std::size_t N>
std::string field_text(const std::array<char, N>& field) {
    std::string text;
    for (const char c : field) {
        if (c == '\0') {
            break;
        }
        text += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    }
    return text;
}

std::string describe_version(const DtmHeader& header, const DtmConvention& convention) {
    std::string text = format_text("%.2f", static_cast<double>(header.version));
    if (convention.writer != nullptr) {
        text += format_text(", as %s writes it", convention.writer->name);
    } else {
        text += ", written by neither TAVERLIN (2.00) nor BRISKEL (3.00)";
    }
    return text;
}

std::string describe_voids(const DtmConvention& convention) {
    if (!convention.void_value) {
        return "none (no void value is known; /V gives one)";
    }
    const std::string value = format_number(*convention.void_value);
    if (convention.void_from_option) {
        return value + " (from /V)";
    }
    if (convention.written_by(dtm::Writer::taverlin)) {
        return value + " (TAVERLIN's void value, also stored for elevations below 0)";
    }
    return value + " (BRISKEL's void value)";
}

std::string describe_header_range(const DtmHeader& header) {
    if (range_left_at_start(header)) {
        return "none recorded (the largest and the smallest positive float64)";
    }
    return format_number(header.z_min) + " to " + with_unit(header.z_max, header.z_units);
}

} // namespace

DtmConvention dtm_convention(const DtmHeader& header, std::optional<double> void_option) {
    DtmConvention convention;
    convention.writer = dtm::convention_for_version(header.version);
    if (convention.writer != nullptr) {
        convention.void_value = convention.writer->void_value;
    }
    if (void_option) {
        convention.void_value = void_option;
        convention.void_from_option = true;
    }
    return convention;
}

std::optional<GridExtent> extent_in_degrees(const DtmHeader& header) {
    std::optional<GridExtent> extent = grid_extent(header);
    if (!extent || !dtm::holds_arc_seconds(header)) {
        return std::nullopt;
    }
    for (double* value : {&extent->x_first, &extent->x_last, &extent->y_first, &extent->y_last}) {
        *value /= dtm::ARC_SECONDS_PER_DEGREE;
    }
    return extent;
}

bool looks_like_degrees(const DtmHeader& header, const DtmConvention& convention) {
    const std::optional<GridExtent> extent = grid_extent(header);
    if (!convention.written_by(dtm::Writer::briskel) || !extent) {
        return false;
    }
    const auto within = [](double a, double b, double limit) {
        return a >= -limit && a <= limit && b >= -limit && b <= limit;
    };
    const auto fine = [](double spacing) {
        return std::fabs(spacing) > 0.0 && std::fabs(spacing) < 1.0;
    };
    return within(extent->x_first, extent->x_last, 180.0) &&
           within(extent->y_first, extent->y_last, 90.0) && fine(header.x_spacing) &&
           fine(header.y_spacing);
}

PlanimetricUnits planimetric_units(const DtmHeader& header, bool degrees_option) {
    if (dtm::holds_arc_seconds(header)) {
        return PlanimetricUnits::arc_seconds;
    }
    return degrees_option ? PlanimetricUnits::degrees : PlanimetricUnits::header;
}

std::string format_number(double value) {
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), result.ptr);
}

const char* unit_word(int code) {
    switch (code) {
    case 0:
        return "feet";
    case 1:
        return "meters";
    default:
        return "unknown";
    }
}

const char* coordinate_system_name(int code) {
    static constexpr std::array<const char*, 21> NAMES = {
        "geographic",
        "UTM",
        "State Plane",
        "Albers Conical Equal Area",
        "Lambert Conformal Conic",
        "Mercator",
        "Polar Stereographic",
        "Polyconic",
        "Equidistant Conic",
        "Transverse Mercator",
        "Stereographic",
        "Lambert Azimuthal Equal Area",
        "Azimuthal Equidistant",
        "Gnomonic",
        "Orthographic",
        "General Vertical Near-Side Perspective",
        "Sinusoidal",
        "Equirectangular",
        "Miller Cylindrical",
        "Van der Grinten",
        "Oblique Mercator",
    };
    return code >= 0 && code < static_cast<int>(NAMES.size()) ? NAMES[code] : "unknown";
}

const char* coordinate_system_of(const DtmHeader& header, const DtmConvention& convention) {
    // BRISKEL stores 0 when no system was given; TAVERLIN copies the DEM's
    // code, where 0 is geographic.
    return header.coord_system == 0 && convention.writer != nullptr &&
                   !convention.writer->system_zero_is_geographic
               ? "none given"
               : coordinate_system_name(header.coord_system);
}

std::string signature_text(const DtmHeader& header) {
    return field_text(header.signature);
}

std::string description_text(const DtmHeader& header) {
    return field_text(header.description);
}

bool elevation_range_recorded(const DtmHeader& header) {
    return !range_left_at_start(header);
}

std::optional<GridExtent> grid_extent(const DtmHeader& header) {
    if (header.column_count <= 0 || header.row_count <= 0) {
        return std::nullopt;
    }
    return GridExtent{header.x_origin,
                      header.x_origin + (header.column_count - 1) * header.x_spacing,
                      header.y_origin, header.y_origin + (header.row_count - 1) * header.y_spacing};
}

std::optional<LengthCheck> check_length(const DtmFileFacts& facts, DtmReadStatus status) {
    if (status != DtmReadStatus::ok && status != DtmReadStatus::too_short &&
        status != DtmReadStatus::too_long) {
        return std::nullopt;
    }
    LengthCheck check;
    check.result = status == DtmReadStatus::too_short  ? LengthCheck::Result::too_short
                   : status == DtmReadStatus::too_long ? LengthCheck::Result::too_long
                                                       : LengthCheck::Result::complete;
    check.bytes = facts.file_size;
    if (facts.expected_size != std::numeric_limits<std::uint64_t>::max()) {
        check.expected_bytes = facts.expected_size;
    }
    return check;
}

RangeCheck check_range(const DtmHeader& header, const DtmConvention& convention,
                       const CellStatistics& statistics) {
    RangeCheck check;
    const auto compare = [&check](std::uint64_t count, double low, double high, bool same) {
        if (count == 0) {
            return;
        }
        check.cells_minimum = low;
        check.cells_maximum = high;
        check.result = same ? RangeCheck::Result::matches : RangeCheck::Result::differs;
    };
    if (convention.writer != nullptr && convention.writer->range_above &&
        !convention.void_from_option) {
        check.cells_above_zero = true;
        if (statistics.positive == 0) {
            check.result = range_left_at_start(header) ? RangeCheck::Result::none_recorded
                                                       : RangeCheck::Result::differs;
        }
        compare(statistics.positive, statistics.positive_minimum, statistics.positive_maximum,
                header.z_min == statistics.positive_minimum &&
                    header.z_max == statistics.positive_maximum);
        return check;
    }
    // float32 cells hold the header's values rounded to float32.
    const bool float_cells = header.data_type == dtm::DTM_FLOAT32;
    const auto same = [float_cells](double a, double b) {
        return float_cells ? static_cast<float>(a) == static_cast<float>(b) : a == b;
    };
    check.result = RangeCheck::Result::no_valid_cells;
    compare(statistics.valid, statistics.minimum, statistics.maximum,
            same(header.z_min, statistics.minimum) && same(header.z_max, statistics.maximum));
    return check;
}

std::string describe_length(const DtmHeader& header, const DtmFileFacts& facts,
                            const LengthCheck& check) {
    const auto size = static_cast<unsigned long long>(check.bytes);
    if (facts.cell_count == 0) {
        return format_text("%llu bytes: a grid without cells, complete", size);
    }
    const std::string layout = format_text("%zu + %d x %d cells x %zu bytes", dtm::DTM_DATA_OFFSET,
                                           header.column_count, header.row_count, facts.cell_size);
    if (check.result == LengthCheck::Result::complete) {
        return format_text("%llu bytes = %s, complete", size, layout.c_str());
    }
    if (!check.expected_bytes) {
        return format_text("%llu bytes, far short of %s", size, layout.c_str());
    }
    const std::uint64_t expected = *check.expected_bytes;
    if (check.result == LengthCheck::Result::too_long) {
        return format_text("%llu bytes, %llu more than %s", size,
                           static_cast<unsigned long long>(check.bytes - expected), layout.c_str());
    }
    return format_text("%llu bytes, %llu short of %s", size,
                       static_cast<unsigned long long>(expected - check.bytes), layout.c_str());
}

std::string describe_range(const RangeCheck& check) {
    const auto cells_range = [&check] {
        return format_number(*check.cells_minimum) + " to " + format_number(*check.cells_maximum);
    };
    switch (check.result) {
    case RangeCheck::Result::none_recorded:
        return "no cell above 0, none recorded, as TAVERLIN does";
    case RangeCheck::Result::no_valid_cells:
        return "no valid cell to compare with";
    case RangeCheck::Result::matches:
        return check.cells_above_zero ? "matches the cells above 0, the range TAVERLIN records"
                                      : "matches the valid cells";
    case RangeCheck::Result::differs:
        break;
    }
    if (!check.cells_minimum) {
        return "differs: no cell is above 0";
    }
    return format_text(check.cells_above_zero ? "differs from the cells above 0 (%s)"
                                              : "differs from the valid cells (%s)",
                       cells_range().c_str());
}

std::string report_line(const char* label, const std::string& text) {
    return format_text("%-19s %s\n", label, text.c_str());
}

std::string describe_header(const std::string& path, const DtmHeader& header,
                            const DtmFileFacts& facts, const DtmConvention& convention,
                            DtmReadStatus status, bool degrees_option) {
    const int xy = header.xy_units;
    const int z = header.z_units;
    const char* xy_unit = xy_unit_word(header);
    std::string text;
    text += report_line("DTM file:", path);
    text += report_line("Signature:", signature_text(header));
    text += report_line("Description:", format_text("\"%s\"", description_text(header).c_str()));
    text += report_line("Version:", describe_version(header, convention));
    text += report_line("Cell type:", format_text("%s (code %d), %zu bytes a cell",
                                                  dtm::dtm_cell_type_name(header.data_type),
                                                  header.data_type, facts.cell_size));
    text += report_line("Void value:", describe_voids(convention));
    text += report_line("Grid:", format_text("%d columns (west to east) x %d rows (south to "
                                             "north), %llu cells",
                                             header.column_count, header.row_count,
                                             static_cast<unsigned long long>(facts.cell_count)));
    text += report_line("X origin:",
                        with_unit(header.x_origin, xy_unit) + " (X of column 0, the westernmost)");
    text += report_line("Y origin:",
                        with_unit(header.y_origin, xy_unit) + " (Y of row 0, the southernmost)");
    text += report_line("X spacing:", with_unit(header.x_spacing, xy_unit));
    text += report_line("Y spacing:", with_unit(header.y_spacing, xy_unit));
    if (const std::optional<GridExtent> extent = grid_extent(header)) {
        std::string line = describe_extent(*extent, xy_unit);
        if (const std::optional<GridExtent> degrees = extent_in_degrees(header)) {
            line += " (" + describe_extent(*degrees, "degrees") + ")";
        }
        text += report_line("Extent:", line);
    }
    text += report_line("Elevation range:", describe_header_range(header));
    text += report_line("Rotation:", format_number(header.rotation));
    text += report_line("XY units:", format_text("%s (code %d)", unit_word(xy), xy));
    text += report_line("Z units:", format_text("%s (code %d)", unit_word(z), z));
    text += report_line("Coordinate system:", format_text("%s (code %d), zone %d",
                                                          coordinate_system_of(header, convention),
                                                          header.coord_system, header.coord_zone));
    if (!degrees_option && looks_like_degrees(header, convention)) {
        text += report_line(
            "Note:", "X and Y look like longitude and latitude; /G shades the picture in degrees");
    }
    if (const std::optional<LengthCheck> length = check_length(facts, status)) {
        text += report_line("File length:", describe_length(header, facts, *length));
    }
    text += report_line("Reserved bytes:", facts.reserved_zero ? "zero" : "not all zero");
    return text;
}

std::string describe_cells(const DtmHeader& header, const DtmConvention& convention,
                           const CellStatistics& statistics) {
    const int z = header.z_units;
    std::string text;
    text += report_line("Valid cells:",
                        format_text("%llu", static_cast<unsigned long long>(statistics.valid)));
    if (convention.void_value) {
        text += report_line("Void cells:",
                            format_text("%llu", static_cast<unsigned long long>(statistics.voids)));
    }
    if (statistics.not_finite > 0) {
        text += report_line("NaN or infinite:", format_text("%llu", static_cast<unsigned long long>(
                                                                        statistics.not_finite)));
    }
    if (statistics.valid > 0) {
        text += report_line("Minimum:", with_unit(statistics.minimum, z));
        text += report_line("Maximum:", with_unit(statistics.maximum, z));
        text += report_line("Mean:", with_unit(format_text("%.8g", statistics.mean), z));
    }
    text +=
        report_line("Header range:", describe_range(check_range(header, convention, statistics)));
    return text;
}

std::string describe_picture(const PictureFacts& picture) {
    const PictureScale& scale = picture.scale;
    const std::string cells_per_pixel =
        scale.cells_per_pixel > 1 ? format_text("one pixel for %d x %d cells",
                                                scale.cells_per_pixel, scale.cells_per_pixel)
        : scale.pixels_per_cell > 1
            ? format_text("%d x %d pixels a cell", scale.pixels_per_cell, scale.pixels_per_cell)
            : std::string("one pixel a cell");
    const char* degrees =
        picture.units == PlanimetricUnits::degrees ? ", shaded with X and Y in degrees" : "";
    return report_line("Picture:",
                       format_text("%s, %d x %d pixels, %s, north up%s", picture.path.c_str(),
                                   scale.width, scale.height, cells_per_pixel.c_str(), degrees));
}

} // namespace dtminfo
