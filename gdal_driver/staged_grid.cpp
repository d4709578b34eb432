#include "gdal_driver/staged_grid.hpp"

#include <algorithm>
#include <array>
#include <new>

#include "gdal_driver/write_losses.hpp"

namespace vordadtm {

bool StagedGrid::allocate(int columns, int rows, GDALDataType type) {
    columns_ = static_cast<std::size_t>(columns);
    rows_ = static_cast<std::size_t>(rows);
    type_ = type;
    cell_size_ = GDALGetDataTypeSizeBytes(type);
    try {
        bytes_.assign(columns_ * rows_ * static_cast<std::size_t>(cell_size_), 0);
    } catch (const std::bad_alloc&) {
        CPLError(CE_Failure, CPLE_OutOfMemory,
                 "There is no memory for the %zu x %zu cells of the DTM file, which are held "
                 "until it is written; free some, or write a smaller raster.",
                 columns_, rows_);
        return false;
    }
    return true;
}

void StagedGrid::release() {
    bytes_ = std::vector<std::uint8_t>();
}

void StagedGrid::copy(GDALRWFlag direction, int x, int y, int width, int height, void* buffer,
                      GDALDataType buffer_type, GSpacing pixel_space, GSpacing line_space) {
    const auto cell = static_cast<std::size_t>(cell_size_);
    for (int k = 0; k < height; ++k) {
        std::uint8_t* const grid_row =
            bytes_.data() + ((static_cast<std::size_t>(y + k)) * columns_ + x) * cell;
        auto* const buffer_row = static_cast<std::uint8_t*>(buffer) + k * line_space;
        if (direction == GF_Write) {
            GDALCopyWords64(buffer_row, buffer_type, static_cast<int>(pixel_space), grid_row, type_,
                            cell_size_, width);
        } else {
            GDALCopyWords64(grid_row, type_, cell_size_, buffer_row, buffer_type,
                            static_cast<int>(pixel_space), width);
        }
    }
}

void StagedGrid::row_values(std::size_t row, std::size_t column, std::size_t count,
                            double* out) const {
    const std::uint8_t* const from =
        bytes_.data() + (row * columns_ + column) * static_cast<std::size_t>(cell_size_);
    GDALCopyWords64(from, type_, cell_size_, out, GDT_Float64, sizeof(double),
                    static_cast<GPtrDiff_t>(count));
}

template <typename Cell>
dtm::WriteStatus StagedGrid::write_as(dtm::DtmWriter& writer, const Writing& writing) const {
    const int data_type = writer.header().data_type;
    const double void_stored = dtm::cell_value(data_type, writing.void_value);
    constexpr std::size_t PIECE = 64;
    std::array<double, PIECE> values;
    // Row 0 of the file is the southern one; its columns run from the west.
    auto row_cells = [&](std::size_t row, std::size_t first, std::size_t count,
                         Cell* scratch) -> const Cell* {
        const std::size_t grid_row = writing.order.north_first ? rows_ - 1 - row : row;
        for (std::size_t done = 0; done < count; done += PIECE) {
            const std::size_t n = std::min(PIECE, count - done);
            const std::size_t start = first + done;
            row_values(grid_row, writing.order.east_first ? columns_ - start - n : start, n,
                       values.data());
            if (writing.order.east_first) {
                std::reverse(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n));
            }
            for (std::size_t j = 0; j < n; ++j) {
                const double x = values[j];
                double stored = void_stored;
                if (writing.losses == nullptr) {
                    stored = dtm::cell_value(data_type, x);
                } else if (is_valid_source_value(x, writing.nodata)) {
                    stored = dtm::cell_value(data_type, x);
                    writing.losses->add(x, stored);
                }
                writing.range->add(stored);
                scratch[done + j] = static_cast<Cell>(stored);
            }
        }
        return scratch;
    };
    return writer.put_rows_as_columns<Cell>(rows_, columns_, row_cells);
}

dtm::WriteStatus StagedGrid::write(dtm::DtmWriter& writer, const Writing& writing) const {
    switch (writer.header().data_type) {
    case dtm::DTM_INT16:
        return write_as<std::int16_t>(writer, writing);
    case dtm::DTM_INT32:
        return write_as<std::int32_t>(writer, writing);
    case dtm::DTM_FLOAT32:
        return write_as<float>(writer, writing);
    case dtm::DTM_FLOAT64:
        return write_as<double>(writer, writing);
    default:
        return dtm::WriteStatus::cannot_write;
    }
}

} // namespace vordadtm
