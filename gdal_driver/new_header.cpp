#include "gdal_driver/new_header.hpp"

#include <cmath>

#include "cpl_string.h"
#include "dtmfile/conventions.hpp"
#include "dtmfile/units.hpp"
#include "gdal_driver/spatial_reference.hpp"

namespace vordadtm {

namespace {

std::optional<std::int16_t> cell_type_from_text(const char* text) {
    const char* names[] = {"INT16", "INT32", "FLOAT32", "FLOAT64"};
    const std::int16_t codes[] = {dtm::DTM_INT16, dtm::DTM_INT32, dtm::DTM_FLOAT32,
                                  dtm::DTM_FLOAT64};
    for (std::size_t i = 0; i < 4; ++i) {
        if (EQUAL(text, names[i])) {
            return codes[i];
        }
    }
    return std::nullopt;
}

std::int16_t default_cell_type(GDALDataType type) {
    const bool fits_int16 =
        type == GDT_Byte || type == GDT_Int16 || GDALGetDataTypeName(type) == std::string("Int8");
    return fits_int16 ? dtm::DTM_INT16 : dtm::DTM_FLOAT32;
}

bool fail(const char* message) {
    CPLError(CE_Failure, CPLE_NotSupported, "%s", message);
    return false;
}

} // namespace

std::optional<dtm::Unit> unit_from_text(const std::string& text) {
    for (const char* name : {"m", "metre", "meter", "metres", "meters"}) {
        if (EQUAL(text.c_str(), name)) {
            return dtm::Unit::meters;
        }
    }
    for (const char* name : {"ft", "foot", "feet"}) {
        if (EQUAL(text.c_str(), name)) {
            return dtm::Unit::feet;
        }
    }
    return std::nullopt;
}

bool header_for(const RasterLayout& raster, CSLConstList options, const std::string& description,
                dtm::DtmHeader& header, std::vector<std::string>& warnings) {
    std::array<double, 6> transform{0.0, 1.0, 0.0, 0.0, 0.0, -1.0};
    if (raster.transform) {
        transform = *raster.transform;
    } else {
        warnings.emplace_back("The raster has no geotransform, so X and Y in the DTM file are its "
                              "column and line numbers; give it one (gdal_translate -a_ullr) to "
                              "place the file.");
    }
    if (transform[2] != 0.0 || transform[4] != 0.0) {
        return fail(NOT_NORTH_UP);
    }
    if (!(transform[1] > 0.0) || !(transform[5] < 0.0)) {
        return fail("The raster does not run north up with its columns east, as DTM files do; "
                    "warp it north up first (gdalwarp).");
    }

    std::int16_t cell_type = default_cell_type(raster.band_type);
    if (const char* text = CSLFetchNameValue(options, "CELL_TYPE")) {
        const std::optional<std::int16_t> chosen = cell_type_from_text(text);
        if (!chosen) {
            return fail(CPLSPrintf("CELL_TYPE=%s is no cell type; give INT16, INT32, FLOAT32 or "
                                   "FLOAT64.",
                                   text));
        }
        cell_type = *chosen;
    }
    const bool integer = cell_type == dtm::DTM_INT16 || cell_type == dtm::DTM_INT32;
    const dtm::WriterConvention& convention =
        dtm::convention_of(integer ? dtm::Writer::taverlin : dtm::Writer::briskel);

    PlacementRequest request;
    request.srs = raster.srs;
    request.system_zero_is_geographic = convention.system_zero_is_geographic;
    if (const char* text = CSLFetchNameValue(options, "COORD_SYSTEM")) {
        request.coord_system = coord_system_from_text(text);
        if (!request.coord_system) {
            return fail(CPLSPrintf("COORD_SYSTEM=%s is no reference system; give UTM, SP, "
                                   "GEOGRAPHIC, NONE or a number from -32768 to 32767.",
                                   text));
        }
    }
    if (const char* text = CSLFetchNameValue(options, "ZONE")) {
        request.coord_zone = zone_from_text(text);
        if (!request.coord_zone) {
            const bool whole = CPLGetValueType(text) == CPL_VALUE_INTEGER;
            return fail(CPLSPrintf("ZONE=%s is %s; give a zone that exists: %s.", text,
                                   whole ? "out of range" : "no whole number", ZONES_THAT_EXIST));
        }
    }
    std::string error;
    std::string warning;
    const std::optional<Placement> placement = placement_for(request, error, warning);
    if (!placement) {
        return fail(error.c_str());
    }
    if (!warning.empty()) {
        warnings.push_back(warning);
    }

    std::optional<dtm::Unit> z_unit = unit_from_text(raster.band_unit);
    if (const char* text = CSLFetchNameValue(options, "Z_UNITS")) {
        z_unit = EQUAL(text, "METERS") || EQUAL(text, "FEET") ? unit_from_text(text) : std::nullopt;
        if (!z_unit) {
            return fail(
                CPLSPrintf("Z_UNITS=%s is no unit of elevations; give METERS or FEET.", text));
        }
    }

    dtm::set_dtm_signature(header);
    dtm::set_dtm_description(header, description);
    header.version = convention.version;
    header.column_count = raster.columns;
    header.row_count = raster.rows;
    place_header(header, transform, placement->arc_seconds);
    header.xy_units = dtm::dtm_unit_code(placement->xy_unit);
    header.z_units = dtm::dtm_unit_code(z_unit.value_or(dtm::Unit::meters));
    header.data_type = cell_type;
    header.coord_system = placement->coord_system;
    header.coord_zone = placement->coord_zone;
    return true;
}

void place_header(dtm::DtmHeader& header, const std::array<double, 6>& transform,
                  bool arc_seconds) {
    const double factor = arc_seconds ? dtm::ARC_SECONDS_PER_DEGREE : 1.0;
    header.x_origin = (transform[0] + transform[1] / 2) * factor;
    header.y_origin = (transform[3] + transform[5] * (header.row_count - 0.5)) * factor;
    header.x_spacing = transform[1] * factor;
    header.y_spacing = -transform[5] * factor;
}

bool turn_north_up(std::array<double, 6>& transform, int columns, int rows, dtm::RowOrder& order) {
    if (transform[2] != 0.0 || transform[4] != 0.0 || transform[1] == 0.0 || transform[5] == 0.0 ||
        !std::isfinite(transform[1]) || !std::isfinite(transform[5])) {
        return false;
    }
    order = dtm::RowOrder{.north_first = transform[5] < 0.0, .east_first = transform[1] < 0.0};
    if (order.east_first) {
        transform[0] += transform[1] * columns;
        transform[1] = -transform[1];
    }
    if (!order.north_first) {
        transform[3] += transform[5] * rows;
        transform[5] = -transform[5];
    }
    return true;
}

bool is_header_item(const char* name) {
    return EQUAL(name, GDALMD_AREA_OR_POINT) || STARTS_WITH_CI(name, "DTM_") ||
           STARTS_WITH_CI(name, "Z_") || EQUAL(name, "ROTATION");
}

} // namespace vordadtm
