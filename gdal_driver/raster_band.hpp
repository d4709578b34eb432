// The one band of a DTM file: blocks of one column by the full height,
// read from the column-major file and turned north up.
#pragma once

#include <optional>
#include <vector>

#include "gdal_priv.h"

namespace vordadtm {

class Dataset;

class RasterBand final : public GDALRasterBand {
  public:
    // `unit` is the elevations' unit as GDAL names it ("m", "ft"), or "".
    RasterBand(Dataset* dataset, GDALDataType type, std::optional<double> nodata, const char* unit);

    double GetNoDataValue(int* has_nodata) override;
    const char* GetUnitType() override { return unit_; }

  protected:
    CPLErr IReadBlock(int column, int block_row, void* image) override;

  private:
    std::optional<double> nodata_;
    const char* unit_;
    std::vector<std::uint8_t> bytes_;
    std::vector<double> cells_;
};

} // namespace vordadtm
