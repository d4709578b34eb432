#include "gdal_driver/dataset.hpp"

#include <cstring>
#include <string>

#include "cpl_string.h"
#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "dtmfile/units.hpp"
#include "gdal_driver/raster_band.hpp"
#include "gdal_driver/spatial_reference.hpp"

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
    if (info->eAccess == GA_Update) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "The DTM file %s cannot be opened for update, as DTM files are read only; "
                 "write a new one with CreateCopy (gdal_translate).",
                 info->pszFilename);
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
    dataset->eAccess = GA_ReadOnly;
    std::string problem;
    dataset->srs_ = spatial_reference_of(header, *datum, problem);
    if (!problem.empty()) {
        CPLError(CE_Warning, CPLE_AppDefined,
                 "The DTM file %s is read without a spatial reference because %s; assign one "
                 "with -a_srs (gdal_translate or gdal_edit.py).",
                 info->pszFilename, problem.c_str());
    }
    dataset->SetMetadataItem(GDALMD_AREA_OR_POINT, GDALMD_AOP_POINT);
    dataset->SetMetadataItem("DTM_DESCRIPTION", description_of(header).c_str());
    dataset->SetMetadataItem("DTM_VERSION",
                             CPLSPrintf("%.2f", static_cast<double>(header.version)));
    dataset->SetMetadataItem("Z_UNITS", unit_name_of(header.z_units));
    dataset->SetMetadataItem("ROTATION", CPLSPrintf("%.17g", header.rotation));
    dataset->SetMetadataItem("Z_MIN", CPLSPrintf("%.17g", header.z_min));
    dataset->SetMetadataItem("Z_MAX", CPLSPrintf("%.17g", header.z_max));

    const std::optional<dtm::Unit> z_unit = dtm::unit_from_dtm_code(header.z_units);
    const char* unit = !z_unit ? "" : *z_unit == dtm::Unit::feet ? "ft" : "m";
    dataset->SetBand(1,
                     new RasterBand(dataset.get(), band_type_of(header.data_type), nodata, unit));
    dataset->SetDescription(info->pszFilename);
    dataset->oOvManager.Initialize(dataset.get(), info->pszFilename);
    return dataset.release();
}

CPLErr Dataset::GetGeoTransform(double* transform) {
    const std::array<double, 6> values = geotransform_of(header_);
    std::copy(values.begin(), values.end(), transform);
    return CE_None;
}

const OGRSpatialReference* Dataset::GetSpatialRef() const {
    return srs_.IsEmpty() ? nullptr : &srs_;
}

} // namespace vordadtm
