#include "dtm_info/json_description.hpp"

#include <cmath>
#include <nlohmann/json.hpp>

#include "dtmfile/units.hpp"

namespace dtminfo {

namespace {

using Json = nlohmann::ordered_json;

constexpr int JSON_VERSION = 2;

// A unit's name, or null when the code names none.
Json unit_of(int code) {
    return dtm::unit_from_dtm_code(code) ? Json(unit_word(code)) : Json(nullptr);
}

// {"value": number, "unit": name or null}; JSON has no NaN or infinity, so
// those are a null value with a note that tells which it was.
Json quantity(double value, const Json& unit) {
    Json object = {{"value", nullptr}, {"unit", unit}};
    if (std::isfinite(value)) {
        object["value"] = value;
    } else {
        object["note"] = std::isnan(value) ? "NaN" : value > 0 ? "infinity" : "-infinity";
    }
    return object;
}

// X and Y's unit: arc-seconds by the writer's convention, else the header's.
Json xy_unit_of(const dtm::DtmHeader& header) {
    return dtm::holds_arc_seconds(header) ? Json("arc_seconds") : unit_of(header.xy_units);
}

Json coded(int code, const char* name) {
    return {{"code", code}, {"name", name}};
}

Json header_object(const dtm::DtmHeader& header, const dtm::DtmFileFacts& facts,
                   const DtmConvention& convention) {
    const Json xy = xy_unit_of(header);
    const Json z = unit_of(header.z_units);
    Json version = quantity(header.version, nullptr);
    version.erase("unit");
    version["writer"] = convention.writer != nullptr ? Json(convention.writer->name) : Json();
    Json cell_type = coded(header.data_type, dtm::dtm_cell_type_name(header.data_type));
    cell_type["bytes"] = facts.cell_size;
    return {
        {"signature", signature_text(header)},
        {"description", description_text(header)},
        {"version", version},
        {"x_origin", quantity(header.x_origin, xy)},
        {"y_origin", quantity(header.y_origin, xy)},
        {"z_min", quantity(header.z_min, z)},
        {"z_max", quantity(header.z_max, z)},
        {"rotation", quantity(header.rotation, nullptr)},
        {"x_spacing", quantity(header.x_spacing, xy)},
        {"y_spacing", quantity(header.y_spacing, xy)},
        {"column_count", header.column_count},
        {"row_count", header.row_count},
        {"xy_units", coded(header.xy_units, unit_word(header.xy_units))},
        {"z_units", coded(header.z_units, unit_word(header.z_units))},
        {"cell_type", cell_type},
        {"coordinate_system", coded(header.coord_system, coordinate_system_of(header, convention))},
        {"coordinate_zone", header.coord_zone}};
}

Json void_object(const dtm::DtmHeader& header, const DtmConvention& convention) {
    if (!convention.void_value) {
        return nullptr;
    }
    Json object = quantity(*convention.void_value, unit_of(header.z_units));
    object["from"] = convention.void_from_option ? "/V" : convention.writer->name;
    return object;
}

Json extent_object(const std::optional<GridExtent>& extent, const Json& xy) {
    if (!extent) {
        return nullptr;
    }
    return {{"x_first", quantity(extent->x_first, xy)},
            {"x_last", quantity(extent->x_last, xy)},
            {"y_first", quantity(extent->y_first, xy)},
            {"y_last", quantity(extent->y_last, xy)}};
}

Json length_object(const RunDescription& run) {
    const std::optional<LengthCheck> check = check_length(run.facts, run.status);
    if (!check) {
        return nullptr;
    }
    const char* result = check->result == LengthCheck::Result::complete    ? "complete"
                         : check->result == LengthCheck::Result::too_short ? "too_short"
                                                                           : "too_long";
    return {{"result", result},
            {"bytes", check->bytes},
            {"expected_bytes", check->expected_bytes ? Json(*check->expected_bytes) : Json()},
            {"text", describe_length(run.header, run.facts, *check)}};
}

Json optional_quantity(const std::optional<double>& value, const Json& unit) {
    return value ? quantity(*value, unit) : Json();
}

Json cells_object(const RunDescription& run, const CellStatistics& statistics) {
    const Json z = unit_of(run.header.z_units);
    const bool any = statistics.valid > 0;
    return {{"valid", statistics.valid},
            {"void", run.convention.void_value ? Json(statistics.voids) : Json()},
            {"not_finite", statistics.not_finite},
            {"minimum", any ? quantity(statistics.minimum, z) : Json()},
            {"maximum", any ? quantity(statistics.maximum, z) : Json()},
            {"mean", any ? quantity(statistics.mean, z) : Json()}};
}

Json range_object(const RunDescription& run, const CellStatistics& statistics) {
    const RangeCheck check = check_range(run.header, run.convention, statistics);
    static constexpr const char* RESULTS[] = {"matches", "differs", "none_recorded",
                                              "no_valid_cells"};
    const Json z = unit_of(run.header.z_units);
    return {{"result", RESULTS[static_cast<int>(check.result)]},
            {"compared_with", check.cells_above_zero ? "cells_above_0" : "valid_cells"},
            {"cells_minimum", optional_quantity(check.cells_minimum, z)},
            {"cells_maximum", optional_quantity(check.cells_maximum, z)},
            {"text", describe_range(check)}};
}

Json picture_object(const PictureFacts& picture) {
    static constexpr const char* UNITS[] = {"header_units", "arc_seconds", "degrees"};
    return {{"path", picture.path},
            {"width", picture.scale.width},
            {"height", picture.scale.height},
            {"cells_per_pixel", picture.scale.cells_per_pixel},
            {"pixels_per_cell", picture.scale.pixels_per_cell},
            {"xy_shaded_as", UNITS[static_cast<int>(picture.units)]}};
}

} // namespace

std::string json_description(const RunDescription& run) {
    const bool known = run.header_read;
    const dtm::DtmHeader& header = run.header;
    const Json nothing;
    Json object = {
        {"json_version", JSON_VERSION},
        {"file", run.path},
        {"status", run.error.empty() ? "ok" : "error"},
        {"error", run.error.empty() ? nothing : Json(run.error)},
        {"header", known ? header_object(header, run.facts, run.convention) : nothing},
        {"elevation_range_recorded", known ? Json(elevation_range_recorded(header)) : nothing},
        {"void_value", known ? void_object(header, run.convention) : nothing},
        {"cell_count", known ? Json(run.facts.cell_count) : nothing},
        {"extent", known ? extent_object(grid_extent(header), xy_unit_of(header)) : nothing},
        {"extent_degrees", known ? extent_object(extent_in_degrees(header), "degrees") : nothing},
        {"file_length", known ? length_object(run) : nothing},
        {"reserved_bytes_zero", known ? Json(run.facts.reserved_zero) : nothing},
        {"xy_look_like_degrees",
         known ? Json(looks_like_degrees(header, run.convention)) : nothing},
        {"cells", run.statistics ? cells_object(run, *run.statistics) : nothing},
        {"header_range", run.statistics ? range_object(run, *run.statistics) : nothing},
        {"picture", run.picture ? picture_object(*run.picture) : nothing},
    };
    return object.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace dtminfo
