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
#include "gdal_driver/new_header.hpp"
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
    "(default the file name of the source; with Create, of the new file)'/>"
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
    const std::optional<double> source_nodata =
        has_nodata ? std::optional<double>(nodata) : std::nullopt;
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
                if (!visit(x, !is_valid_source_value(x, source_nodata))) {
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

// The elevation range the cells will give the header, from a pass over the
// source that writes nothing; false after reporting a failure.
bool find_range(GDALRasterBand& band, dtm::DtmHeader& header, dtm::RowOrder order,
                const Passes& passes) {
    const dtm::WriterConvention& convention = *dtm::convention_for_version(header.version);
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
    const dtm::WriterConvention& convention = *dtm::convention_for_version(header.version);
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

// The new file opened, with what its header does not hold of the source
// kept in its .aux.xml; where none can be kept, a warning says what is lost.
GDALDataset* open_keeping(const char* path, GDALDataset& source, const std::string& description,
                          const dtm::DtmHeader& header) {
    const OGRSpatialReference* srs = source.GetSpatialRef();
    std::vector<std::string> lost;
    if (srs != nullptr && !srs->IsEmpty() && !header_reads_back(*srs, header)) {
        lost.emplace_back(CPLSPrintf("the spatial reference (%s)", srs->GetName()));
    }
    CSLConstList metadata = source.GetMetadata();
    for (int i = 0; metadata != nullptr && metadata[i] != nullptr; ++i) {
        char* name = nullptr;
        CPLParseNameValue(metadata[i], &name);
        if (name != nullptr && !is_header_item(name)) {
            lost.emplace_back(CPLSPrintf("the metadata item %s", name));
        }
        CPLFree(name);
    }
    if (description.size() > dtm::DTM_DESCRIPTION_LENGTH) {
        lost.emplace_back("the whole description");
    }
    if (!lost.empty() && is_sequential_target(path)) {
        std::string what = lost.front();
        for (std::size_t i = 1; i < lost.size(); ++i) {
            what += (i + 1 == lost.size() ? " and " : ", ") + lost[i];
        }
        CPLError(CE_Warning, CPLE_AppDefined,
                 "No .aux.xml can be written beside the DTM file %s, so %s of the source %s not "
                 "kept; write a plain file to keep %s.",
                 path, what.c_str(), lost.size() == 1 ? "is" : "are",
                 lost.size() == 1 ? "it" : "them");
    }
    if (is_sequential_target(path)) {
        return new WrittenStream(header.column_count, header.row_count);
    }
    GDALOpenInfo info(path, GA_ReadOnly);
    GDALDataset* const opened = Dataset::open(&info);
    if (opened != nullptr && !lost.empty()) {
        static_cast<Dataset*>(opened)->keep_in_sidecar(srs, metadata, description);
    }
    return opened;
}

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
    GDALRasterBand& band = *source->GetRasterBand(1);
    RasterLayout raster;
    raster.columns = source->GetRasterXSize();
    raster.rows = source->GetRasterYSize();
    raster.band_type = band.GetRasterDataType();
    raster.band_unit = band.GetUnitType();
    // A source that runs south up, or whose rows run west, is copied north
    // up with its columns east.
    dtm::RowOrder order{.north_first = true};
    std::array<double, 6> transform{};
    if (source->GetGeoTransform(transform.data()) == CE_None) {
        if (!turn_north_up(transform, raster.columns, raster.rows, order)) {
            CPLError(CE_Failure, CPLE_NotSupported, "%s", NOT_NORTH_UP);
            return nullptr;
        }
        raster.transform = transform;
    }
    raster.srs = source->GetSpatialRef();
    dtm::DtmHeader header;
    std::vector<std::string> warnings;
    if (!header_for(raster, options, description, header, warnings)) {
        return nullptr;
    }
    for (const std::string& warning : warnings) {
        CPLError(CE_Warning, CPLE_AppDefined, "%s", warning.c_str());
    }
    WriteLosses losses(header);
    losses.add_description(description);
    // Into an archive or a stream, the range is found in a first pass, so
    // that the header goes out once with it and the bytes are those of a
    // copy into a plain file.
    const bool sequential = is_sequential_target(path);
    Passes passes{progress, progress_data, sequential ? 2 : 1};
    if (!passes.report(0.0)) {
        return nullptr;
    }
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
    return open_keeping(path, *source, description, header);
}

} // namespace vordadtm
