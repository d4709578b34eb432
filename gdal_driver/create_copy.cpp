#include "gdal_driver/create_copy.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cpl_string.h"
#include "dtmfile/conventions.hpp"
#include "dtmfile/units.hpp"
#include "gdal_driver/dataset.hpp"
#include "gdal_driver/spatial_reference.hpp"
#include "gdal_driver/vsi_output.hpp"

namespace vordadtm {

const char CREATION_OPTIONS[] =
    "<CreationOptionList>"
    "  <Option name='CELL_TYPE' type='string-select' description='Type of the cells (default "
    "INT16 for integer bands that fit, FLOAT32 otherwise)'>"
    "    <Value>INT16</Value><Value>INT32</Value><Value>FLOAT32</Value><Value>FLOAT64</Value>"
    "  </Option>"
    "  <Option name='DESCRIPTION' type='string' description='Description, at most 60 bytes "
    "(default the source file name)'/>"
    "  <Option name='Z_UNITS' type='string-select' description='Unit of the elevations "
    "(default from the band unit, else meters)'>"
    "    <Value>METERS</Value><Value>FEET</Value>"
    "  </Option>"
    "  <Option name='COORD_SYSTEM' type='string' description='Reference system: UTM, SP "
    "(State Plane), GEOGRAPHIC, NONE or a number (default from the spatial reference)'/>"
    "  <Option name='ZONE' type='int' description='Zone of the reference system (default "
    "the UTM zone of the spatial reference, negative south)'/>"
    "</CreationOptionList>";

namespace {

// Values read from the source at a time, in bands of whole columns.
constexpr std::size_t READ_CELLS = std::size_t{1} << 23;

bool fail(const char* message) {
    CPLError(CE_Failure, CPLE_NotSupported, "%s", message);
    return false;
}

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

// The header for the source, or false after reporting why there is none.
bool header_for(GDALDataset& source, char** options, dtm::DtmHeader& header) {
    GDALRasterBand& band = *source.GetRasterBand(1);
    double transform[6] = {0.0, 1.0, 0.0, 0.0, 0.0, -1.0};
    if (source.GetGeoTransform(transform) != CE_None) {
        CPLError(CE_Warning, CPLE_AppDefined,
                 "The source has no geotransform: X and Y are its column and line numbers");
        transform[5] = -1.0;
    }
    if (transform[2] != 0.0 || transform[4] != 0.0) {
        return fail("The source is rotated or sheared: DTM files are north up (gdalwarp it "
                    "north up first)");
    }
    if (!(transform[1] > 0.0) || !(transform[5] < 0.0)) {
        return fail("The source is not north up with columns running east: DTM files are");
    }

    std::int16_t cell_type = default_cell_type(band.GetRasterDataType());
    if (const char* text = CSLFetchNameValue(options, "CELL_TYPE")) {
        const std::optional<std::int16_t> chosen = cell_type_from_text(text);
        if (!chosen) {
            return fail("CELL_TYPE: INT16, INT32, FLOAT32 or FLOAT64 expected");
        }
        cell_type = *chosen;
    }
    const bool integer = cell_type == dtm::DTM_INT16 || cell_type == dtm::DTM_INT32;
    const dtm::WriterConvention& convention =
        dtm::convention_of(integer ? dtm::Writer::taverlin : dtm::Writer::briskel);

    PlacementRequest request;
    request.srs = source.GetSpatialRef();
    request.system_zero_is_geographic = convention.system_zero_is_geographic;
    if (const char* text = CSLFetchNameValue(options, "COORD_SYSTEM")) {
        request.coord_system = coord_system_from_text(text);
        if (!request.coord_system) {
            return fail("COORD_SYSTEM: UTM, SP, GEOGRAPHIC, NONE or a number expected");
        }
    }
    if (const char* text = CSLFetchNameValue(options, "ZONE")) {
        const int zone = atoi(text);
        if (CPLGetValueType(text) != CPL_VALUE_INTEGER || zone < INT16_MIN || zone > INT16_MAX) {
            return fail("ZONE: a whole number expected");
        }
        request.coord_zone = static_cast<std::int16_t>(zone);
    }
    std::string error;
    std::string warning;
    const std::optional<Placement> placement = placement_for(request, error, warning);
    if (!placement) {
        return fail(error.c_str());
    }
    if (!warning.empty()) {
        CPLError(CE_Warning, CPLE_AppDefined, "%s", warning.c_str());
    }

    std::optional<dtm::Unit> z_unit = unit_from_text(band.GetUnitType());
    if (const char* text = CSLFetchNameValue(options, "Z_UNITS")) {
        z_unit = EQUAL(text, "METERS") || EQUAL(text, "FEET") ? unit_from_text(text) : std::nullopt;
        if (!z_unit) {
            return fail("Z_UNITS: METERS or FEET expected");
        }
    }

    const double factor = placement->arc_seconds ? dtm::ARC_SECONDS_PER_DEGREE : 1.0;
    const int rows = source.GetRasterYSize();
    dtm::set_dtm_signature(header);
    dtm::set_dtm_description(header, CSLFetchNameValueDef(options, "DESCRIPTION",
                                                          CPLGetFilename(source.GetDescription())));
    header.version = convention.version;
    header.x_origin = (transform[0] + transform[1] / 2) * factor;
    header.y_origin = (transform[3] + transform[5] * (rows - 0.5)) * factor;
    header.x_spacing = transform[1] * factor;
    header.y_spacing = -transform[5] * factor;
    header.column_count = source.GetRasterXSize();
    header.row_count = rows;
    header.xy_units = dtm::dtm_unit_code(placement->xy_unit);
    header.z_units = dtm::dtm_unit_code(z_unit.value_or(dtm::Unit::meters));
    header.data_type = cell_type;
    header.coord_system = placement->coord_system;
    header.coord_zone = placement->coord_zone;
    return true;
}

// The cells, column by column from the south, into the writer; false after
// reporting a failure or a cancellation.
bool write_cells(GDALRasterBand& band, VsiDtmFileWriter& writer, const char* path,
                 GDALProgressFunc progress, void* progress_data) {
    const dtm::DtmHeader& header = writer.header();
    const dtm::WriterConvention& convention = dtm::convention_of(
        header.version == dtm::convention_of(dtm::Writer::taverlin).version ? dtm::Writer::taverlin
                                                                            : dtm::Writer::briskel);
    dtm::RecordedRange range(convention);
    int has_nodata = FALSE;
    const double nodata = band.GetNoDataValue(&has_nodata);
    const std::size_t columns = static_cast<std::size_t>(header.column_count);
    const std::size_t rows = static_cast<std::size_t>(header.row_count);
    const std::size_t width = std::clamp<std::size_t>(READ_CELLS / rows, 1, columns);
    std::vector<double> values;
    try {
        values.resize(width * rows);
    } catch (const std::bad_alloc&) {
        CPLError(CE_Failure, CPLE_OutOfMemory, "No memory for a column of %zu cells", rows);
        return false;
    }
    for (std::size_t c0 = 0; c0 < columns; c0 += width) {
        const std::size_t count = std::min(width, columns - c0);
        if (band.RasterIO(GF_Read, static_cast<int>(c0), 0, static_cast<int>(count),
                          static_cast<int>(rows), values.data(), static_cast<int>(count),
                          static_cast<int>(rows), GDT_Float64, 0, 0, nullptr) != CE_None) {
            return false;
        }
        for (std::size_t k = 0; k < count; ++k) {
            for (std::size_t line = rows; line-- > 0;) {
                const double x = values[line * count + k];
                const bool is_void = std::isnan(x) || (has_nodata && x == nodata);
                range.add(writer.put(is_void ? convention.void_value : x));
            }
            if (writer.failed()) {
                CPLError(CE_Failure, CPLE_FileIO, "%s",
                         dtm::write_message(dtm::WriteStatus::cannot_write, path).c_str());
                return false;
            }
            const double done = static_cast<double>(c0 + k + 1) / static_cast<double>(columns);
            if (!progress(done, nullptr, progress_data)) {
                CPLError(CE_Failure, CPLE_UserInterrupt, "DTM file not written: cancelled");
                return false;
            }
        }
    }
    writer.set_elevation_range(range.minimum(), range.maximum());
    return true;
}

} // namespace

GDALDataset* create_copy(const char* path, GDALDataset* source, int /*strict*/, char** options,
                         GDALProgressFunc progress, void* progress_data) {
    if (progress == nullptr) {
        progress = GDALDummyProgress;
    }
    if (source->GetRasterCount() != 1) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "A DTM file holds one band; the source has %d (choose one with -b)",
                 source->GetRasterCount());
        return nullptr;
    }
    dtm::DtmHeader header;
    if (!header_for(*source, options, header)) {
        return nullptr;
    }
    if (!progress(0.0, nullptr, progress_data)) {
        CPLError(CE_Failure, CPLE_UserInterrupt, "DTM file not written: cancelled");
        return nullptr;
    }
    VsiDtmFileWriter writer(header);
    if (writer.create(path) != dtm::WriteStatus::ok) {
        CPLError(CE_Failure, CPLE_OpenFailed, "%s",
                 dtm::write_message(dtm::WriteStatus::cannot_create, path).c_str());
        return nullptr;
    }
    if (!write_cells(*source->GetRasterBand(1), writer, path, progress, progress_data)) {
        return nullptr; // the writer removes the file
    }
    if (writer.commit() != dtm::WriteStatus::ok) {
        CPLError(CE_Failure, CPLE_FileIO, "%s",
                 dtm::write_message(dtm::WriteStatus::cannot_write, path).c_str());
        return nullptr;
    }
    GDALOpenInfo info(path, GA_ReadOnly);
    return Dataset::open(&info);
}

} // namespace vordadtm
