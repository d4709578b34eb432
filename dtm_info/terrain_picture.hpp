// The picture of a DTM grid: north up, coloured by elevation (blues below
// sea level when the grid reaches below 0), hill shaded from the north-west,
// void cells transparent. Large grids are drawn with the mean of each block
// of cells, small ones with each cell as a square of pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "dtmfile/dtm_header.hpp"

namespace dtminfo {

// RGBA pixels, 8 bits a channel, rows from north to south, each row from
// west to east.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// How the grid maps onto pixels.
struct PictureScale {
    int cells_per_pixel = 1; // a block of n x n cells makes one pixel
    int pixels_per_cell = 1; // or one cell makes n x n pixels
    int width = 0;
    int height = 0;
};

// The scale that makes the picture's longest side at most `side` pixels
// (and as near to it as whole factors allow); `side` 0 means one pixel a
// cell up to PICTURE_DEFAULT_LIMIT.
PictureScale picture_scale(std::int32_t columns, std::int32_t rows, int side);

// What X and Y are, for the shading, which needs the spacing in the unit of
// the elevations.
enum class PlanimetricUnits {
    header,      // the header's X/Y unit (feet or meters)
    arc_seconds, // a geographic DEM through TAVERLIN
    degrees,     // longitude and latitude (/G)
};

// Reports `done` of `total` steps of long work.
using ProgressReport = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Takes the cells in file order (column by column, each from south to
// north), keeps one block mean per pixel, and draws the picture at the end.
class PictureBuilder {
  public:
    // Spacing in arc-seconds or degrees is turned into meters for the
    // shading, at the latitude of the grid's middle.
    PictureBuilder(const dtm::DtmHeader& header, std::optional<double> void_value,
                   const PictureScale& scale, PlanimetricUnits units = PlanimetricUnits::header);

    void add(std::span<const double> cells);
    // Draws the picture, reporting each row of blocks when asked to.
    Picture render(const ProgressReport& progress = {}) const;

  private:
    void finish_band();
    float elevation(std::int64_t column, std::int64_t row) const;

    dtm::DtmHeader header_;
    std::optional<double> void_value_;
    PictureScale scale_;
    PlanimetricUnits units_ = PlanimetricUnits::header;
    std::int64_t block_columns_ = 0; // of the reduced grid
    std::int64_t block_rows_ = 0;
    std::vector<float> blocks_; // reduced grid, row by row from the south; NaN = void
    std::vector<double> band_sums_;
    std::vector<std::uint32_t> band_counts_;
    std::int64_t column_ = 0;
    std::int64_t row_ = 0;
};

} // namespace dtminfo
