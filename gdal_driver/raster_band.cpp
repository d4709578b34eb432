#include "gdal_driver/raster_band.hpp"

#include <cstdint>
#include <new>

#include "dtmfile/dtm_reader.hpp"
#include "gdal_driver/dataset.hpp"

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
                       const char* unit)
    : nodata_(nodata), unit_(unit) {
    poDS = dataset;
    nBand = 1;
    eDataType = type;
    nRasterXSize = dataset->GetRasterXSize();
    nRasterYSize = dataset->GetRasterYSize();
    nBlockXSize = 1;
    nBlockYSize = nRasterYSize;
}

double RasterBand::GetNoDataValue(int* has_nodata) {
    if (has_nodata != nullptr) {
        *has_nodata = nodata_.has_value();
    }
    return nodata_.value_or(0.0);
}

CPLErr RasterBand::IReadBlock(int column, int /*block_row*/, void* image) {
    auto* const dataset = static_cast<Dataset*>(poDS);
    const dtm::DtmHeader& header = dataset->header_;
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
        return CE_Failure;
    }
    if (VSIFSeekL(dataset->file_, offset, SEEK_SET) != 0 ||
        VSIFReadL(bytes_.data(), 1, bytes_.size(), dataset->file_) != bytes_.size()) {
        CPLError(CE_Failure, CPLE_FileIO,
                 "Column %d of the DTM file %s cannot be read; check that the file is still "
                 "whole (dtminfo).",
                 column, dataset->GetDescription());
        return CE_Failure;
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
    return CE_None;
}

} // namespace vordadtm
