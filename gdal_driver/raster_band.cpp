#include "gdal_driver/raster_band.hpp"

#include <cmath>
#include <cstdint>
#include <new>

#include "dtmfile/dtm_reader.hpp"
#include "dtmfile/units.hpp"
#include "gdal_driver/dataset.hpp"
#include "gdal_driver/new_header.hpp"

namespace vordadtm {

namespace {

// Cells in file order (south to north) into the block, north first.
template <typename Value>
void store_flipped(const std::vector<double>& cells, void* image) {
    auto* const out = static_cast<Value*>(image);
    const std::size_t rows = cells.size();
    for (std::size_t i = 0; i < rows; ++i) {
        out[rows - 1 - i] = static_cast<Value>(cells[i]);
    }
}

} // namespace

RasterBand::RasterBand(Dataset* dataset, GDALDataType type, std::optional<double> nodata,
                       bool nodata_given, const char* unit, bool row_blocks)
    : nodata_(nodata), nodata_given_(nodata_given), unit_(unit) {
    poDS = dataset;
    nBand = 1;
    eDataType = type;
    nRasterXSize = dataset->GetRasterXSize();
    nRasterYSize = dataset->GetRasterYSize();
    nBlockXSize = row_blocks ? nRasterXSize : 1;
    nBlockYSize = row_blocks ? 1 : nRasterYSize;
}

Dataset& RasterBand::dataset() const {
    return *static_cast<Dataset*>(poDS);
}

bool RasterBand::creating() const {
    return dataset().mode_ == Dataset::Mode::create;
}

double RasterBand::GetNoDataValue(int* has_nodata) {
    std::optional<double> value = creating() && source_nodata_ ? source_nodata_ : nodata_;
    if (!creating() && !nodata_given_) {
        int kept = FALSE;
        const double pam = GDALPamRasterBand::GetNoDataValue(&kept);
        if (kept) {
            value = pam;
        }
    }
    if (has_nodata != nullptr) {
        *has_nodata = value.has_value();
    }
    return value.value_or(0.0);
}

CPLErr RasterBand::SetNoDataValue(double value) {
    if (creating()) {
        source_nodata_ = value;
        return CE_None;
    }
    // The void value is the file's by its version; another goes to the
    // .aux.xml.
    const bool is_void =
        nodata_ && (*nodata_ == value || (std::isnan(value) && std::isnan(*nodata_)));
    if (is_void) {
        int kept = FALSE;
        GDALPamRasterBand::GetNoDataValue(&kept);
        return kept ? GDALPamRasterBand::DeleteNoDataValue() : CE_None;
    }
    return GDALPamRasterBand::SetNoDataValue(value);
}

CPLErr RasterBand::DeleteNoDataValue() {
    if (creating()) {
        source_nodata_.reset();
        return CE_None;
    }
    return GDALPamRasterBand::DeleteNoDataValue();
}

const char* RasterBand::GetUnitType() {
    const char* kept = GDALPamRasterBand::GetUnitType();
    return kept != nullptr && kept[0] != '\0' ? kept : unit_.c_str();
}

CPLErr RasterBand::SetUnitType(const char* unit) {
    const std::optional<dtm::Unit> z_unit = unit_from_text(unit != nullptr ? unit : "");
    if (!z_unit || dataset().mode_ == Dataset::Mode::read) {
        return GDALPamRasterBand::SetUnitType(unit);
    }
    unit_ = *z_unit == dtm::Unit::feet ? "ft" : "m";
    if (dataset().mode_ == Dataset::Mode::update) {
        dataset().header_.z_units = dtm::dtm_unit_code(*z_unit);
        dataset().refresh_header_items();
    }
    dataset().file_pending_ = true;
    return CE_None;
}

bool RasterBand::read_file_column(int column, void* image) {
    const dtm::DtmHeader& header = dataset().opened_header_;
    const std::size_t rows = static_cast<std::size_t>(nRasterYSize);
    const std::size_t cell_size = dtm::dtm_cell_size(header.data_type);
    const vsi_l_offset offset =
        dtm::DTM_DATA_OFFSET + static_cast<vsi_l_offset>(column) * rows * cell_size;
    try {
        bytes_.resize(rows * cell_size);
        cells_.resize(rows);
    } catch (const std::bad_alloc&) {
        CPLError(CE_Failure, CPLE_OutOfMemory,
                 "There is no memory for a column of %zu cells; free some and read again.", rows);
        return false;
    }
    VSILFILE* const file = dataset().file_;
    if (VSIFSeekL(file, offset, SEEK_SET) != 0 ||
        VSIFReadL(bytes_.data(), 1, bytes_.size(), file) != bytes_.size()) {
        CPLError(CE_Failure, CPLE_FileIO,
                 "Column %d of the DTM file %s cannot be read; check that the file is still "
                 "whole (dtminfo).",
                 column, dataset().GetDescription());
        return false;
    }
    dtm::decode_cells(header.data_type, bytes_.data(), rows, cells_.data());
    switch (eDataType) {
    case GDT_Int16:
        store_flipped<std::int16_t>(cells_, image);
        break;
    case GDT_Int32:
        store_flipped<std::int32_t>(cells_, image);
        break;
    case GDT_Float32:
        store_flipped<float>(cells_, image);
        break;
    default:
        store_flipped<double>(cells_, image);
        break;
    }
    return true;
}

CPLErr RasterBand::IReadBlock(int block_x, int block_y, void* image) {
    blocks_cached_ = true;
    StagedGrid& grid = dataset().grid_;
    if (!grid.allocated()) {
        return read_file_column(block_x, image) ? CE_None : CE_Failure;
    }
    const int size = GDALGetDataTypeSizeBytes(eDataType);
    grid.copy(GF_Read, block_x * nBlockXSize, block_y * nBlockYSize, nBlockXSize, nBlockYSize,
              image, eDataType, size, static_cast<GSpacing>(size) * nBlockXSize);
    return CE_None;
}

CPLErr RasterBand::IWriteBlock(int block_x, int block_y, void* image) {
    if (!dataset().stage()) {
        return CE_Failure;
    }
    const int size = GDALGetDataTypeSizeBytes(eDataType);
    dataset().grid_.copy(GF_Write, block_x * nBlockXSize, block_y * nBlockYSize, nBlockXSize,
                         nBlockYSize, image, eDataType, size,
                         static_cast<GSpacing>(size) * nBlockXSize);
    dataset().cells_changed_ = true;
    dataset().file_pending_ = true;
    return CE_None;
}

void RasterBand::settle_blocks() {
    if (blocks_cached_) {
        blocks_cached_ = false;
        GDALRasterBand::FlushCache(false);
    }
}

CPLErr RasterBand::IRasterIO(GDALRWFlag direction, int x, int y, int width, int height,
                             void* buffer, int buffer_width, int buffer_height,
                             GDALDataType buffer_type, GSpacing pixel_space, GSpacing line_space,
                             GDALRasterIOExtraArg* extra) {
    const bool whole_cells = buffer_width == width && buffer_height == height;
    const bool in_memory = direction == GF_Write || dataset().grid_.allocated();
    if (!whole_cells || !in_memory || eAccess != GA_Update) {
        return GDALPamRasterBand::IRasterIO(direction, x, y, width, height, buffer, buffer_width,
                                            buffer_height, buffer_type, pixel_space, line_space,
                                            extra);
    }
    if (!dataset().stage()) {
        return CE_Failure;
    }
    settle_blocks();
    dataset().grid_.copy(direction, x, y, width, height, buffer, buffer_type, pixel_space,
                         line_space);
    if (direction == GF_Write) {
        dataset().cells_changed_ = true;
        dataset().file_pending_ = true;
    }
    return CE_None;
}

} // namespace vordadtm
