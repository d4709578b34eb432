// The header of a DTM file written from a raster, as CreateCopy and Create
// make it: from the raster's size, band type and unit, geotransform and
// spatial reference, and the creation options; and what of the raster the
// header holds, and what is left to the .aux.xml beside the file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "dtmfile/dtm_header.hpp"
#include "dtmfile/grid_order.hpp"
#include "dtmfile/units.hpp"
#include "gdal_priv.h"
#include "ogr_spatialref.h"

namespace vordadtm {

struct RasterLayout {
    int columns = 0;
    int rows = 0;
    GDALDataType band_type = GDT_Unknown;
    std::string band_unit; // the elevations' unit as GDAL names it, or ""
    // North up; none gives the column and line numbers as X and Y.
    std::optional<std::array<double, 6>> transform;
    const OGRSpatialReference* srs = nullptr;
};

// An elevation unit by GDAL's name for it ("m", "metre", "ft", "feet"...).
std::optional<dtm::Unit> unit_from_text(const std::string& text);

// The header for the raster written with the creation options, or false
// after reporting why there is none (CE_Failure). `warnings` receives what
// the file will not say, for the caller to report once.
bool header_for(const RasterLayout& raster, CSLConstList options, const std::string& description,
                dtm::DtmHeader& header, std::vector<std::string>& warnings);

// Origin and spacing from a north-up geotransform (the inverse of
// geotransform_of), in arc-seconds from degrees when `arc_seconds`.
void place_header(dtm::DtmHeader& header, const std::array<double, 6>& transform, bool arc_seconds);

// A geotransform whose rows run south up or whose columns run west turned
// north up, and the order the raster's rows run in against it; false when
// it is rotated, sheared or has no size.
bool turn_north_up(std::array<double, 6>& transform, int columns, int rows, dtm::RowOrder& order);

// The message that refuses a rotated or sheared geotransform.
inline constexpr char NOT_NORTH_UP[] =
    "The geotransform is rotated or sheared, and DTM files are north up; warp the raster north "
    "up first (gdalwarp).";

// The metadata items the driver derives from the header (AREA_OR_POINT,
// DTM_*, Z_*, ROTATION), which are never kept in the .aux.xml.
bool is_header_item(const char* name);

} // namespace vordadtm
