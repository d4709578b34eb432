// A raster held in memory while GDAL writes it (a new DTM file, or one
// opened for update): the cells as GDAL sees them, row by row from the
// first, each of the band's type. The file stores columns, so the whole
// raster is gathered here and written in the file's order at close.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "dtmfile/grid_order.hpp"
#include "gdal_priv.h"

namespace vordadtm {

class WriteLosses;

class StagedGrid {
  public:
    // Room for the raster, every cell 0; false after reporting that there
    // is no memory for it.
    bool allocate(int columns, int rows, GDALDataType type);
    void release();
    bool allocated() const { return !bytes_.empty(); }

    // Copies a window between the grid and a buffer laid out as RasterIO
    // gives it.
    void copy(GDALRWFlag direction, int x, int y, int width, int height, void* buffer,
              GDALDataType buffer_type, GSpacing pixel_space, GSpacing line_space);

    // How the cells go into a file.
    struct Writing {
        dtm::RowOrder order; // how the grid's rows and columns run
        // With a new file's losses given, cells that are not valid source
        // values (NaN, `nodata`) are written as void and the others counted.
        WriteLosses* losses = nullptr;
        std::optional<double> nodata;
        double void_value = 0.0;
        dtm::RecordedRange* range = nullptr; // gathers the values stored
    };

    // Every cell into the writer, standing at the first cell, in file order.
    dtm::WriteStatus write(dtm::DtmWriter& writer, const Writing& writing) const;

  private:
    template <typename Cell>
    dtm::WriteStatus write_as(dtm::DtmWriter& writer, const Writing& writing) const;

    // `count` cells of a row from `column` on, as float64 values.
    void row_values(std::size_t row, std::size_t column, std::size_t count, double* out) const;

    std::vector<std::uint8_t> bytes_;
    std::size_t columns_ = 0;
    std::size_t rows_ = 0;
    GDALDataType type_ = GDT_Unknown;
    int cell_size_ = 0;
};

} // namespace vordadtm
