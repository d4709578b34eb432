#include "gdal_driver/dataset.hpp"

#include <cstring>
#include <string>

#include "cpl_string.h"
#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "dtmfile/units.hpp"
#include "gdal_driver/new_header.hpp"
#include "gdal_driver/raster_band.hpp"
#include "gdal_driver/spatial_reference.hpp"
#include "gdal_driver/vsi_output.hpp"
#include "gdal_driver/write_losses.hpp"

namespace vordadtm {

namespace {

// The void value: the NODATA open option (a number, or NONE), else the
// writer's by the version. False when the option is no number.
bool nodata_of(const dtm::DtmHeader& header, const char* option, std::optional<double>& nodata) {
    if (option == nullptr) {
        nodata = dtm::void_value_for_version(header.version);
        return true;
    }
    if (EQUAL(option, "NONE")) {
        nodata.reset();
        return true;
    }
    if (CPLGetValueType(option) == CPL_VALUE_STRING) {
        return false;
    }
    nodata = CPLAtof(option);
    return true;
}

std::string description_of(const dtm::DtmHeader& header) {
    return std::string(header.description.data(),
                       strnlen(header.description.data(), dtm::DTM_DESCRIPTION_LENGTH));
}

const char* unit_name_of(int code) {
    const std::optional<dtm::Unit> unit = dtm::unit_from_dtm_code(code);
    return !unit ? "" : *unit == dtm::Unit::feet ? "FEET" : "METERS";
}

const char* unit_symbol_of(int code) {
    const std::optional<dtm::Unit> unit = dtm::unit_from_dtm_code(code);
    return !unit ? "" : *unit == dtm::Unit::feet ? "ft" : "m";
}

bool is_default_domain(const char* domain) {
    return domain == nullptr || domain[0] == '\0';
}

bool same_header(const dtm::DtmHeader& a, const dtm::DtmHeader& b) {
    return dtm::serialize_dtm_header(a) == dtm::serialize_dtm_header(b);
}

} // namespace

GDALDataType band_type_of(int data_type) {
    switch (data_type) {
    case dtm::DTM_INT16:
        return GDT_Int16;
    case dtm::DTM_INT32:
        return GDT_Int32;
    case dtm::DTM_FLOAT32:
        return GDT_Float32;
    case dtm::DTM_FLOAT64:
        return GDT_Float64;
    default:
        return GDT_Unknown;
    }
}

std::array<double, 6> geotransform_of(const dtm::DtmHeader& header) {
    std::array<double, 6> transform{header.x_origin - header.x_spacing / 2,
                                    header.x_spacing,
                                    0.0,
                                    header.y_origin + (header.row_count - 0.5) * header.y_spacing,
                                    0.0,
                                    -header.y_spacing};
    if (dtm::holds_arc_seconds(header)) {
        for (double& value : transform) {
            value /= dtm::ARC_SECONDS_PER_DEGREE;
        }
    }
    return transform;
}

Dataset::~Dataset() {
    Dataset::FlushCache(true);
    if (file_ != nullptr) {
        VSIFCloseL(file_);
    }
}

int Dataset::identify(GDALOpenInfo* info) {
    constexpr std::size_t SIGNATURE_SIZE = sizeof dtm::DTM_SIGNATURE; // with its NUL
    return info->fpL != nullptr && info->nHeaderBytes >= static_cast<int>(SIGNATURE_SIZE) &&
           std::memcmp(info->pabyHeader, dtm::DTM_SIGNATURE, SIGNATURE_SIZE) == 0;
}

GDALDataset* Dataset::open(GDALOpenInfo* info) {
    if (!identify(info)) {
        return nullptr;
    }
    const char* datum_option = CSLFetchNameValueDef(info->papszOpenOptions, "DATUM", "WGS84");
    const std::optional<Datum> datum = datum_from_name(datum_option);
    if (!datum) {
        CPLError(CE_Failure, CPLE_IllegalArg, "DATUM=%s is no datum; give WGS84, NAD83 or NAD27.",
                 datum_option);
        return nullptr;
    }

    // The file from here on is the dataset's.
    VSILFILE* const file = info->fpL;
    info->fpL = nullptr;
    std::unique_ptr<Dataset> dataset(new Dataset());
    dataset->file_ = file;
    dataset->datum_ = *datum;
    std::uint8_t bytes[dtm::DTM_DATA_OFFSET];
    std::size_t got = 0;
    vsi_l_offset file_size = 0;
    if (VSIFSeekL(file, 0, SEEK_END) == 0) {
        file_size = VSIFTellL(file);
    }
    if (VSIFSeekL(file, 0, SEEK_SET) == 0) {
        got = VSIFReadL(bytes, 1, sizeof bytes, file);
    }
    dtm::DtmFileFacts facts;
    const dtm::DtmReadStatus status = dtm::check_dtm_header(
        std::span<const std::uint8_t>(bytes, got), file_size, dataset->header_, facts);
    const dtm::DtmHeader& header = dataset->header_;
    const std::string message = dtm::dtm_read_message(status, header, facts, info->pszFilename);
    if (status == dtm::DtmReadStatus::too_long && facts.cell_count > 0) {
        CPLError(CE_Warning, CPLE_AppDefined, "%s", message.c_str());
    } else if (status != dtm::DtmReadStatus::ok) {
        CPLError(CE_Failure, CPLE_OpenFailed, "%s", message.c_str());
        return nullptr;
    }
    if (facts.cell_count == 0) {
        CPLError(CE_Failure, CPLE_OpenFailed,
                 "The DTM file %s holds no cells (%d columns, %d rows), so it is no raster; "
                 "write it again from its source.",
                 info->pszFilename, header.column_count, header.row_count);
        return nullptr;
    }
    std::optional<double> nodata;
    const char* nodata_option = CSLFetchNameValue(info->papszOpenOptions, "NODATA");
    if (!nodata_of(header, nodata_option, nodata)) {
        CPLError(CE_Failure, CPLE_IllegalArg, "NODATA=%s is no number; give a number or NONE.",
                 nodata_option);
        return nullptr;
    }

    dataset->nRasterXSize = header.column_count;
    dataset->nRasterYSize = header.row_count;
    dataset->eAccess = info->eAccess;
    dataset->mode_ = info->eAccess == GA_Update ? Mode::update : Mode::read;
    dataset->path_ = info->pszFilename;
    dataset->opened_header_ = header;
    dataset->transform_ = geotransform_of(header);
    dataset->has_transform_ = true;
    std::string problem;
    dataset->srs_ = spatial_reference_of(header, *datum, problem);
    dataset->description_ = description_of(header);
    dataset->SetBand(1, new RasterBand(dataset.get(), band_type_of(header.data_type), nodata,
                                       nodata_option != nullptr, unit_symbol_of(header.z_units),
                                       false));
    dataset->SetDescription(info->pszFilename);
    dataset->TryLoadXML(info->GetSiblingFiles());
    // The whole description, when the header holds its first 60 bytes.
    const char* kept = dataset->GDALPamDataset::GetMetadataItem("DTM_DESCRIPTION");
    if (kept != nullptr && std::strlen(kept) > dtm::DTM_DESCRIPTION_LENGTH &&
        std::string(kept, dtm::DTM_DESCRIPTION_LENGTH) == dataset->description_) {
        dataset->description_ = kept;
    }
    if (!problem.empty() && dataset->GDALPamDataset::GetSpatialRef() == nullptr) {
        CPLError(CE_Warning, CPLE_AppDefined,
                 "The DTM file %s is read without a spatial reference because %s; assign one "
                 "with -a_srs (gdal_translate or gdal_edit.py).",
                 info->pszFilename, problem.c_str());
    }
    dataset->refresh_header_items();
    dataset->oOvManager.Initialize(dataset.get(), info->pszFilename, info->GetSiblingFiles());
    return dataset.release();
}

GDALDataset* Dataset::create(const char* path, int columns, int rows, int bands, GDALDataType type,
                             char** options) {
    if (bands != 1) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "A DTM file holds one band and %d were asked for; create one file for each "
                 "band.",
                 bands);
        return nullptr;
    }
    const char* const types = GetGDALDriverManager()
                                  ->GetDriverByName(DRIVER_NAME)
                                  ->GetMetadataItem(GDAL_DMD_CREATIONDATATYPES);
    const CPLStringList type_names(CSLTokenizeString(types));
    if (type_names.FindString(GDALGetDataTypeName(type)) < 0) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "A DTM file holds no %s band; create one of the types %s.",
                 GDALGetDataTypeName(type), types);
        return nullptr;
    }
    if (is_sequential_target(path)) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "The DTM file %s cannot be created there, as its cells are written at close "
                 "and this file system writes only in order; create a plain file and copy it "
                 "there, or copy the raster with gdal_translate (CreateCopy).",
                 path);
        return nullptr;
    }
    std::unique_ptr<Dataset> dataset(new Dataset());
    dataset->nRasterXSize = columns;
    dataset->nRasterYSize = rows;
    dataset->eAccess = GA_Update;
    dataset->mode_ = Mode::create;
    dataset->path_ = path;
    dataset->options_ = CPLStringList(CSLDuplicate(options));
    dataset->description_ = CSLFetchNameValueDef(options, "DESCRIPTION", CPLGetFilename(path));
    RasterLayout layout;
    layout.columns = columns;
    layout.rows = rows;
    layout.band_type = type;
    std::vector<std::string> warnings; // reported when the file is written
    if (!header_for(layout, options, dataset->description_, dataset->header_, warnings) ||
        !dataset->grid_.allocate(columns, rows, type)) {
        return nullptr;
    }
    // The file is made now, so that a folder it cannot be made in fails here.
    VSILFILE* const file = VSIFOpenL(path, "wb");
    if (file == nullptr || VSIFCloseL(file) != 0) {
        CPLError(CE_Failure, CPLE_OpenFailed,
                 "The DTM file %s cannot be created; check that its folder exists and may be "
                 "written.",
                 path);
        return nullptr;
    }
    dataset->file_pending_ = true;
    const std::optional<double> void_value = dtm::void_value_for_version(dataset->header_.version);
    dataset->SetBand(1, new RasterBand(dataset.get(), type, void_value, false, "", true));
    dataset->SetDescription(path);
    dataset->refresh_header_items();
    return dataset.release();
}

bool Dataset::read_column(int column, void* image) {
    return static_cast<RasterBand*>(GetRasterBand(1))->read_file_column(column, image);
}

bool Dataset::stage() {
    if (grid_.allocated()) {
        return true;
    }
    auto* const band = static_cast<RasterBand*>(GetRasterBand(1));
    const GDALDataType type = band->GetRasterDataType();
    if (!grid_.allocate(nRasterXSize, nRasterYSize, type)) {
        return false;
    }
    std::vector<std::uint8_t> column;
    try {
        column.resize(static_cast<std::size_t>(nRasterYSize) *
                      static_cast<std::size_t>(GDALGetDataTypeSizeBytes(type)));
    } catch (const std::bad_alloc&) {
        grid_.release();
        return false;
    }
    for (int c = 0; c < nRasterXSize; ++c) {
        if (!read_column(c, column.data())) {
            grid_.release();
            return false;
        }
        grid_.copy(GF_Write, c, 0, 1, nRasterYSize, column.data(), type,
                   GDALGetDataTypeSizeBytes(type), GDALGetDataTypeSizeBytes(type));
    }
    return true;
}

void Dataset::refresh_header_items() {
    header_items_.Clear();
    header_items_.SetNameValue(GDALMD_AREA_OR_POINT, GDALMD_AOP_POINT);
    header_items_.SetNameValue("DTM_DESCRIPTION", description_.c_str());
    header_items_.SetNameValue("DTM_VERSION",
                               CPLSPrintf("%.2f", static_cast<double>(header_.version)));
    header_items_.SetNameValue("Z_UNITS", unit_name_of(header_.z_units));
    header_items_.SetNameValue("ROTATION", CPLSPrintf("%.17g", header_.rotation));
    header_items_.SetNameValue("Z_MIN", CPLSPrintf("%.17g", header_.z_min));
    header_items_.SetNameValue("Z_MAX", CPLSPrintf("%.17g", header_.z_max));
}

void Dataset::keep_srs(const OGRSpatialReference* srs) {
    const bool needed = srs != nullptr && !srs->IsEmpty() && !header_reads_back(*srs, header_);
    const bool kept = psPam != nullptr && psPam->poSRS != nullptr;
    if (needed || kept) {
        GDALPamDataset::SetSpatialRef(needed ? srs : nullptr);
    }
}

void Dataset::keep_in_sidecar(const OGRSpatialReference* srs, CSLConstList metadata,
                              const std::string& description) {
    keep_srs(srs);
    for (int i = 0; metadata != nullptr && metadata[i] != nullptr; ++i) {
        char* name = nullptr;
        const char* value = CPLParseNameValue(metadata[i], &name);
        if (name != nullptr && value != nullptr && !is_header_item(name)) {
            GDALPamDataset::SetMetadataItem(name, value);
        }
        CPLFree(name);
    }
    if (description.size() > dtm::DTM_DESCRIPTION_LENGTH) {
        GDALPamDataset::SetMetadataItem("DTM_DESCRIPTION", description.c_str());
        description_ = description;
        refresh_header_items();
    }
}

void Dataset::set_description(const std::string& text) {
    description_ = text;
    dtm::set_dtm_description(header_, text);
    const bool longer = text.size() > dtm::DTM_DESCRIPTION_LENGTH;
    if (longer || GDALPamDataset::GetMetadataItem("DTM_DESCRIPTION") != nullptr) {
        GDALPamDataset::SetMetadataItem("DTM_DESCRIPTION", longer ? text.c_str() : nullptr);
    }
    refresh_header_items();
}

void Dataset::FlushCache(bool at_closing) {
    GDALDataset::FlushCache(at_closing); // the bands' blocks into the grid
    if (mode_ == Mode::create && file_pending_) {
        if (!write_new_file()) {
            nPamFlags &= ~GPF_DIRTY; // no .aux.xml without its file
        }
    } else if (mode_ == Mode::update) {
        write_in_place();
    }
    GDALPamDataset::FlushCache(at_closing);
}

RasterLayout Dataset::created_layout(const OGRSpatialReference& srs, dtm::RowOrder& order) {
    auto* const band = static_cast<RasterBand*>(GetRasterBand(1));
    RasterLayout layout;
    layout.columns = nRasterXSize;
    layout.rows = nRasterYSize;
    layout.band_type = band->GetRasterDataType();
    layout.band_unit = band->unit_;
    std::array<double, 6> north = transform_;
    order = dtm::RowOrder{.north_first = true};
    if (has_transform_ && turn_north_up(north, nRasterXSize, nRasterYSize, order)) {
        layout.transform = north;
    }
    layout.srs = srs.IsEmpty() ? nullptr : &srs;
    return layout;
}

bool Dataset::write_new_file() {
    file_pending_ = false;
    auto* const band = static_cast<RasterBand*>(GetRasterBand(1));
    dtm::RowOrder order;
    const RasterLayout layout = created_layout(srs_, order);
    std::vector<std::string> warnings;
    dtm::DtmHeader header;
    if (!header_for(layout, options_.List(), description_, header, warnings)) {
        VSIUnlink(path_.c_str()); // made by create()
        return false;
    }
    for (const std::string& warning : warnings) {
        CPLError(CE_Warning, CPLE_AppDefined, "%s", warning.c_str());
    }
    WriteLosses losses(header);
    losses.add_description(description_);
    VsiDtmFileWriter writer(header);
    dtm::RecordedRange range(header.version, std::nullopt);
    StagedGrid::Writing writing;
    writing.order = order;
    writing.losses = &losses;
    writing.nodata = band->source_nodata_;
    writing.void_value = dtm::void_value_for_version(header.version).value_or(0.0);
    writing.range = &range;
    bool written = writer.create(path_) == dtm::WriteStatus::ok &&
                   grid_.write(writer, writing) == dtm::WriteStatus::ok;
    if (written) {
        writer.set_elevation_range(range.minimum(), range.maximum());
        written = writer.commit() == dtm::WriteStatus::ok;
    }
    if (!written) {
        CPLError(CE_Failure, CPLE_FileIO,
                 "The DTM file %s cannot be written, and no part of it is kept; check the free "
                 "space of its folder.",
                 path_.c_str());
        return false;
    }
    losses.warn();
    header_ = writer.header();
    refresh_header_items();
    keep_srs(layout.srs);
    return true;
}

bool Dataset::write_in_place() {
    const bool turned = !order_.north_first || order_.east_first;
    if (turned && !stage()) {
        return false;
    }
    const bool cells = grid_.allocated() && (cells_changed_ || turned);
    if (!cells && same_header(header_, opened_header_)) {
        return true;
    }
    dtm::DtmWriter writer(header_);
    VsiSink sink(file_, false);
    // The writer starts where the file stands: at its header.
    bool written = sink.seek(0) && writer.start(sink) == dtm::WriteStatus::ok;
    if (written && cells) {
        int has_nodata = FALSE;
        const double nodata = GetRasterBand(1)->GetNoDataValue(&has_nodata);
        dtm::RecordedRange range(header_.version,
                                 has_nodata ? std::optional<double>(nodata) : std::nullopt);
        StagedGrid::Writing writing;
        writing.order = order_;
        writing.range = &range;
        written = grid_.write(writer, writing) == dtm::WriteStatus::ok;
        if (range.records()) {
            writer.set_elevation_range(range.minimum(), range.maximum());
        }
    }
    written = written && writer.finish() == dtm::WriteStatus::ok;
    if (!written) {
        CPLError(CE_Failure, CPLE_FileIO,
                 "The DTM file %s cannot be written in place, and may now hold only part of "
                 "what was written; check that it may be written and the free space of its "
                 "folder, and write it again.",
                 path_.c_str());
        opened_header_ = header_; // reported once
        cells_changed_ = false;
        return false;
    }
    header_ = writer.header();
    opened_header_ = header_;
    cells_changed_ = false;
    refresh_header_items();
    return true;
}

CPLErr Dataset::GetGeoTransform(double* transform) {
    if (GDALPamDataset::GetGeoTransform(transform) == CE_None) {
        return CE_None;
    }
    std::copy(transform_.begin(), transform_.end(), transform);
    return has_transform_ ? CE_None : CE_Failure;
}

CPLErr Dataset::SetGeoTransform(double* transform) {
    if (mode_ == Mode::read) {
        return GDALPamDataset::SetGeoTransform(transform);
    }
    std::array<double, 6> north;
    std::copy(transform, transform + 6, north.begin());
    const std::array<double, 6> given = north;
    dtm::RowOrder order;
    if (!turn_north_up(north, nRasterXSize, nRasterYSize, order)) {
        CPLError(CE_Failure, CPLE_NotSupported, "%s", NOT_NORTH_UP);
        return CE_Failure;
    }
    transform_ = given;
    has_transform_ = true;
    order_ = order;
    if (mode_ == Mode::update) {
        place_header(header_, north, dtm::holds_arc_seconds(header_));
        if (psPam != nullptr && psPam->bHaveGeoTransform) {
            GDALPamDataset::DeleteGeoTransform();
        }
    }
    file_pending_ = true;
    return CE_None;
}

const OGRSpatialReference* Dataset::GetSpatialRef() const {
    if (psPam != nullptr && psPam->poSRS != nullptr) {
        return psPam->poSRS;
    }
    return srs_.IsEmpty() ? nullptr : &srs_;
}

CPLErr Dataset::SetSpatialRef(const OGRSpatialReference* srs) {
    if (mode_ == Mode::read) {
        return GDALPamDataset::SetSpatialRef(srs);
    }
    if (mode_ == Mode::create) {
        OGRSpatialReference given;
        if (srs != nullptr) {
            given = *srs;
        }
        dtm::RowOrder order;
        std::vector<std::string> warnings; // reported when the file is written
        dtm::DtmHeader header;
        if (!header_for(created_layout(given, order), options_.List(), description_, header,
                        warnings)) {
            return CE_Failure;
        }
        srs_ = given;
        file_pending_ = true;
        return CE_None;
    }
    const dtm::WriterConvention* convention = dtm::convention_for_version(header_.version);
    PlacementRequest request;
    request.srs = srs;
    request.system_zero_is_geographic =
        convention != nullptr && convention->system_zero_is_geographic;
    std::string error;
    std::string warning;
    const std::optional<Placement> placement = placement_for(request, error, warning);
    if (!placement) {
        CPLError(CE_Failure, CPLE_NotSupported, "%s", error.c_str());
        return CE_Failure;
    }
    if (!warning.empty()) {
        CPLError(CE_Warning, CPLE_AppDefined, "%s", warning.c_str());
    }
    const bool was_arc_seconds = dtm::holds_arc_seconds(header_);
    header_.coord_system = placement->coord_system;
    header_.coord_zone = placement->coord_zone;
    header_.xy_units = dtm::dtm_unit_code(placement->xy_unit);
    if (dtm::holds_arc_seconds(header_) != was_arc_seconds) {
        std::array<double, 6> north = transform_;
        dtm::RowOrder order;
        if (turn_north_up(north, nRasterXSize, nRasterYSize, order)) {
            place_header(header_, north, !was_arc_seconds);
        }
    }
    std::string problem;
    srs_ = spatial_reference_of(header_, datum_, problem);
    keep_srs(srs);
    return CE_None;
}

char** Dataset::GetMetadata(const char* domain) {
    if (!is_default_domain(domain)) {
        return GDALPamDataset::GetMetadata(domain);
    }
    metadata_ = header_items_;
    CSLConstList kept = GDALPamDataset::GetMetadata(domain);
    for (int i = 0; kept != nullptr && kept[i] != nullptr; ++i) {
        const char* item = kept[i];
        char* name = nullptr;
        const char* value = CPLParseNameValue(item, &name);
        if (name != nullptr && !is_header_item(name)) {
            metadata_.SetNameValue(name, value);
        }
        CPLFree(name);
    }
    return metadata_.List();
}

const char* Dataset::GetMetadataItem(const char* name, const char* domain) {
    if (is_default_domain(domain) && name != nullptr && is_header_item(name)) {
        return header_items_.FetchNameValue(name);
    }
    return GDALPamDataset::GetMetadataItem(name, domain);
}

CPLErr Dataset::SetMetadata(char** metadata, const char* domain) {
    if (!is_default_domain(domain)) {
        return GDALPamDataset::SetMetadata(metadata, domain);
    }
    CPLStringList kept;
    for (int i = 0; metadata != nullptr && metadata[i] != nullptr; ++i) {
        const char* item = metadata[i];
        char* name = nullptr;
        const char* value = CPLParseNameValue(item, &name);
        if (name != nullptr && !is_header_item(name)) {
            kept.SetNameValue(name, value);
        } else if (name != nullptr && EQUAL(name, "DTM_DESCRIPTION") && value != nullptr) {
            SetMetadataItem(name, value);
        }
        CPLFree(name);
    }
    const char* description = GDALPamDataset::GetMetadataItem("DTM_DESCRIPTION");
    if (description != nullptr) {
        kept.SetNameValue("DTM_DESCRIPTION", description);
    }
    return GDALPamDataset::SetMetadata(kept.List(), domain);
}

CPLErr Dataset::SetMetadataItem(const char* name, const char* value, const char* domain) {
    if (!is_default_domain(domain) || name == nullptr || !is_header_item(name)) {
        return GDALPamDataset::SetMetadataItem(name, value, domain);
    }
    // The items the header gives follow it; only its description is set.
    if (EQUAL(name, "DTM_DESCRIPTION") && mode_ != Mode::read && value != nullptr) {
        set_description(value);
        file_pending_ = true;
    }
    return CE_None;
}

} // namespace vordadtm
