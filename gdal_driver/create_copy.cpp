#include "gdal_driver/create_copy.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cpl_string.h"
#include "dtmfile/conventions.hpp"
#include "dtmfile/grid_order.hpp"
#include "dtmfile/units.hpp"
#include "gdal_driver/dataset.hpp"
#include "gdal_driver/spatial_reference.hpp"
#include "gdal_driver/vsi_output.hpp"
#include "gdal_driver/write_losses.hpp"

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
    "  <Option name='ZONE' type='int' description='Zone of the reference system: UTM 1 to 60, "
    "negative south, or a State Plane code (default the UTM zone of the spatial reference)'/>"
    "</CreationOptionList>";

namespace {

// Values read from the source at a time, in bands of whole columns.
constexpr std::size_t READ_CELLS = std::size_t{1} << 23;

constexpr char CANCELLED[] = "The copy was cancelled, and no DTM file was written.";

void report_cannot_write(const char* path) {
    CPLError(CE_Failure, CPLE_FileIO,
             "The DTM file %s cannot be written, and no part of it is kept; check the free "
             "space of its folder.",
             path);
}

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

// The header for the source and the order its rows run in against the
// file's, or false after reporting why there is none.
bool header_for(GDALDataset& source, char** options, const std::string& description,
                dtm::DtmHeader& header, dtm::RowOrder& order) {
    GDALRasterBand& band = *source.GetRasterBand(1);
    double transform[6] = {0.0, 1.0, 0.0, 0.0, 0.0, -1.0};
    if (source.GetGeoTransform(transform) != CE_None) {
        CPLError(CE_Warning, CPLE_AppDefined,
                 "The source has no geotransform, so X and Y in the DTM file are its column and "
                 "line numbers; give it one (gdal_translate -a_ullr) to place the file.");
        transform[5] = -1.0;
    }
    if (transform[2] != 0.0 || transform[4] != 0.0) {
        return fail("The source is rotated or sheared, and a DTM file runs north up with its "
                    "columns east; warp it north up first (gdalwarp).");
    }
    if (!std::isfinite(transform[1]) || !std::isfinite(transform[5]) || transform[1] == 0.0 ||
        transform[5] == 0.0) {
        return fail("The source's cells have no size (a geotransform with a spacing of 0 or "
                    "not a number); give it one (gdal_translate -a_ullr).");
    }
    // A source that runs south up, or whose rows run west, is turned north
    // up with its columns east (its cells are flipped as they are copied).
    order = dtm::RowOrder{.north_first = transform[5] < 0.0, .east_first = transform[1] < 0.0};
    if (order.east_first) {
        transform[0] += transform[1] * source.GetRasterXSize();
        transform[1] = -transform[1];
    }
    if (!order.north_first) {
        transform[3] += transform[5] * source.GetRasterYSize();
        transform[5] = -transform[5];
    }

    std::int16_t cell_type = default_cell_type(band.GetRasterDataType());
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
    request.srs = source.GetSpatialRef();
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
        CPLError(CE_Warning, CPLE_AppDefined, "%s", warning.c_str());
    }

    std::optional<dtm::Unit> z_unit = unit_from_text(band.GetUnitType());
    if (const char* text = CSLFetchNameValue(options, "Z_UNITS")) {
        z_unit = EQUAL(text, "METERS") || EQUAL(text, "FEET") ? unit_from_text(text) : std::nullopt;
        if (!z_unit) {
            return fail(
                CPLSPrintf("Z_UNITS=%s is no unit of elevations; give METERS or FEET.", text));
        }
    }

    const double factor = placement->arc_seconds ? dtm::ARC_SECONDS_PER_DEGREE : 1.0;
    const int rows = source.GetRasterYSize();
    dtm::set_dtm_signature(header);
    dtm::set_dtm_description(header, description);
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

// The progress of a copy, in one or two passes over the source.
struct Passes {
    GDALProgressFunc progress;
    void* progress_data;
    int count = 1;
    int current = 0;

    // False when the user cancelled; reported then.
    bool report(double done_in_pass) const {
        if (!progress((current + done_in_pass) / count, nullptr, progress_data)) {
            CPLError(CE_Failure, CPLE_UserInterrupt, "%s", CANCELLED);
            return false;
        }
        return true;
    }
};

// Hands every cell of the band to visit(value, is_void) in file order
// (column by column from the west, each from the south), reading bands of
// whole columns and turning them by `order`; visit returns false to stop.
// False after reporting a failure, a cancellation, or when visit stopped.
template <typename Visit>
bool visit_cells(GDALRasterBand& band, const dtm::DtmHeader& header, dtm::RowOrder order,
                 const Passes& passes, Visit&& visit) {
    int has_nodata = FALSE;
    const double nodata = band.GetNoDataValue(&has_nodata);
    const std::size_t columns = static_cast<std::size_t>(header.column_count);
    const std::size_t rows = static_cast<std::size_t>(header.row_count);
    const std::size_t width = std::clamp<std::size_t>(READ_CELLS / rows, 1, columns);
    std::vector<double> values;     // a band of columns as GDAL gives it, row by row
    std::vector<double> columns_of; // the same in the file's order
    try {
        values.resize(width * rows);
        columns_of.resize(width * rows);
    } catch (const std::bad_alloc&) {
        CPLError(CE_Failure, CPLE_OutOfMemory,
                 "There is no memory for a column of %zu cells; free some and copy again.", rows);
        return false;
    }
    for (std::size_t c0 = 0; c0 < columns; c0 += width) {
        const std::size_t count = std::min(width, columns - c0);
        // The source's columns of this band: from the east when they run west.
        const std::size_t first = order.east_first ? columns - c0 - count : c0;
        if (band.RasterIO(GF_Read, static_cast<int>(first), 0, static_cast<int>(count),
                          static_cast<int>(rows), values.data(), static_cast<int>(count),
                          static_cast<int>(rows), GDT_Float64, 0, 0, nullptr) != CE_None) {
            return false;
        }
        dtm::place_rows(columns_of.data(), rows, count, values.data(), rows, count, count, 0, 0,
                        order);
        for (std::size_t k = 0; k < count; ++k) {
            for (std::size_t r = 0; r < rows; ++r) {
                const double x = columns_of[k * rows + r];
                if (!visit(x, std::isnan(x) || (has_nodata && x == nodata))) {
                    return false;
                }
            }
            if (!passes.report(static_cast<double>(c0 + k + 1) / static_cast<double>(columns))) {
                return false;
            }
        }
    }
    return true;
}

const dtm::WriterConvention& convention_of_header(const dtm::DtmHeader& header) {
    const dtm::WriterConvention& taverlin = dtm::convention_of(dtm::Writer::taverlin);
    return header.version == taverlin.version ? taverlin : dtm::convention_of(dtm::Writer::briskel);
}

// The elevation range the cells will give the header, from a pass over the
// source that writes nothing; false after reporting a failure.
bool find_range(GDALRasterBand& band, dtm::DtmHeader& header, dtm::RowOrder order,
                const Passes& passes) {
    const dtm::WriterConvention& convention = convention_of_header(header);
    dtm::RecordedRange range(convention);
    const bool visited = visit_cells(band, header, order, passes, [&](double x, bool is_void) {
        range.add(dtm::cell_value(header.data_type, is_void ? convention.void_value : x));
        return true;
    });
    header.z_min = range.minimum();
    header.z_max = range.maximum();
    return visited;
}

// The cells into the writer; the range into its header when `set_range`
// (it was not known before). False after reporting a failure or a
// cancellation.
bool write_cells(GDALRasterBand& band, VsiDtmFileWriter& writer, dtm::RowOrder order,
                 bool set_range, WriteLosses& losses, const char* path, const Passes& passes) {
    const dtm::DtmHeader& header = writer.header();
    const dtm::WriterConvention& convention = convention_of_header(header);
    dtm::RecordedRange range(convention);
    std::size_t in_column = 0;
    const std::size_t rows = static_cast<std::size_t>(header.row_count);
    const bool visited = visit_cells(band, header, order, passes, [&](double x, bool is_void) {
        if (is_void) {
            range.add(writer.put(convention.void_value));
        } else {
            const double stored = writer.put(x);
            range.add(stored);
            losses.add(x, stored);
        }
        if (++in_column == rows) {
            in_column = 0;
            if (writer.failed()) {
                report_cannot_write(path);
                return false;
            }
        }
        return true;
    });
    if (visited && set_range) {
        writer.set_elevation_range(range.minimum(), range.maximum());
    }
    return visited;
}

// What a copy into an archive or a stream gives back: the raster's size and
// nothing to read (GDAL may not read such a target back while it is being
// written, or may read a stale size of it); open the target again to read it.
class WrittenStream final : public GDALDataset {
  public:
    WrittenStream(int columns, int rows) {
        nRasterXSize = columns;
        nRasterYSize = rows;
    }
};

} // namespace

GDALDataset* create_copy(const char* path, GDALDataset* source, int /*strict*/, char** options,
                         GDALProgressFunc progress, void* progress_data) {
    if (progress == nullptr) {
        progress = GDALDummyProgress;
    }
    if (source->GetRasterCount() != 1) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "A DTM file holds one band and the source has %d; choose one with -b.",
                 source->GetRasterCount());
        return nullptr;
    }
    const std::string description =
        CSLFetchNameValueDef(options, "DESCRIPTION", CPLGetFilename(source->GetDescription()));
    dtm::DtmHeader header;
    dtm::RowOrder order;
    if (!header_for(*source, options, description, header, order)) {
        return nullptr;
    }
    WriteLosses losses(header);
    losses.add_description(description);
    // Into an archive or a stream, the range is found in a first pass, so
    // that the header goes out once with it and the bytes are those of a
    // copy into a plain file.
    const bool sequential = is_sequential(path);
    Passes passes{progress, progress_data, sequential ? 2 : 1};
    if (!passes.report(0.0)) {
        return nullptr;
    }
    GDALRasterBand& band = *source->GetRasterBand(1);
    if (sequential) {
        if (!find_range(band, header, order, passes)) {
            return nullptr;
        }
        ++passes.current;
    }
    VsiDtmFileWriter writer(header);
    if (writer.create(path) != dtm::WriteStatus::ok) {
        CPLError(CE_Failure, CPLE_OpenFailed,
                 "The DTM file %s cannot be created; check that its folder exists and may be "
                 "written.",
                 path);
        return nullptr;
    }
    if (!write_cells(band, writer, order, !sequential, losses, path, passes)) {
        return nullptr; // the writer removes the file
    }
    if (writer.commit() != dtm::WriteStatus::ok) {
        report_cannot_write(path);
        return nullptr;
    }
    losses.warn();
    if (sequential) {
        return new WrittenStream(header.column_count, header.row_count);
    }
    GDALOpenInfo info(path, GA_ReadOnly);
    return Dataset::open(&info);
}

} // namespace vordadtm
