// The one band of a DTM file. Read only, its blocks are columns of the
// full height, read from the column-major file and turned north up. Once
// its cells are held in memory (a new file, or one opened for update that
// is written to), it reads and writes them there.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gdal_pam.h"
#include "gdal_priv.h"

namespace vordadtm {

class Dataset;

class RasterBand final : public GDALPamRasterBand {
  public:
    // `nodata` is the void value, `nodata_given` true when the reader gave
    // it (the NODATA open option), which then stands over the .aux.xml's;
    // `unit` is the elevations' unit as GDAL names it ("m", "ft"), or "".
    // A new file's blocks are rows, an existing file's its columns.
    RasterBand(Dataset* dataset, GDALDataType type, std::optional<double> nodata, bool nodata_given,
               const char* unit, bool row_blocks);

    double GetNoDataValue(int* has_nodata) override;
    CPLErr SetNoDataValue(double value) override;
    CPLErr DeleteNoDataValue() override;
    const char* GetUnitType() override;
    CPLErr SetUnitType(const char* unit) override;

  protected:
    CPLErr IReadBlock(int block_x, int block_y, void* image) override;
    CPLErr IWriteBlock(int block_x, int block_y, void* image) override;
    CPLErr IRasterIO(GDALRWFlag direction, int x, int y, int width, int height, void* buffer,
                     int buffer_width, int buffer_height, GDALDataType buffer_type,
                     GSpacing pixel_space, GSpacing line_space,
                     GDALRasterIOExtraArg* extra) override;

  private:
    friend class Dataset;

    Dataset& dataset() const;
    bool creating() const;

    // Column `column` of the file into `image`, north first, of the band's
    // type; false after reporting why it could not be read.
    bool read_file_column(int column, void* image);

    // The block cache written into the grid and emptied, when it may hold
    // blocks, before the grid is read or written past it.
    void settle_blocks();

    std::optional<double> nodata_;
    bool nodata_given_;
    std::optional<double> source_nodata_; // a new file's: cells written as void
    std::string unit_;
    bool blocks_cached_ = false;
    std::vector<std::uint8_t> bytes_;
    std::vector<double> cells_;
};

} // namespace vordadtm
