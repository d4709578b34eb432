#include <gtest/gtest.h>

#include <cmath>
#include <png.h>
#include <vector>

#include "dtm_info/cell_statistics.hpp"
#include "dtm_info/dtm_description.hpp"
#include "dtm_info/png_file.hpp"
#include "dtm_info/progress_bar.hpp"
#include "dtm_info/terrain_picture.hpp"
#include "dtmfile/dtm_header.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;
using namespace dtminfo;
using testing_support::float_grid_header;

namespace {

struct Pixel {
    int r, g, b, a;
};

Pixel pixel(const Picture& picture, int x, int y) {
    const std::uint8_t* p =
        picture.rgba.data() + (static_cast<std::size_t>(y) * picture.width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

Picture draw(const DtmHeader& header, const std::vector<double>& cells, int side = 0) {
    PictureBuilder builder(header, -32767.0,
                           picture_scale(header.column_count, header.row_count, side));
    // In two pieces, as the cells come from the reader.
    const std::span<const double> all(cells);
    builder.add(all.first(cells.size() / 2));
    builder.add(all.subspan(cells.size() / 2));
    return builder.render();
}

constexpr double VOID = -32767.0;

} // namespace

TEST(DtminfoPicture, NorthIsUpAndWestIsLeft) {
    // Three columns of two cells, file order: column 0 (south, north), ...
    // A peak in the north-west corner, a void in the south-east one. Cells
    // a thousand kilometres apart keep the shading flat.
    DtmHeader header = float_grid_header(3, 2);
    header.x_spacing = header.y_spacing = 1e6;
    const Picture picture = draw(header, {10, 100, 10, 10, VOID, 10});
    ASSERT_EQ(picture.width, 3);
    ASSERT_EQ(picture.height, 2);
    const Pixel peak = pixel(picture, 0, 0);
    EXPECT_EQ(pixel(picture, 2, 1).a, 0); // the void, bottom right
    for (const auto& [x, y] : {std::pair{1, 0}, {2, 0}, {0, 1}, {1, 1}}) {
        const Pixel low = pixel(picture, x, y);
        EXPECT_EQ(low.a, 255);
        // The top of the ramp is near white, its foot green.
        EXPECT_GT(peak.r + peak.b, low.r + low.b + 100) << x << "," << y;
    }
}

TEST(DtminfoPicture, ScaleKeepsTheLongestSideWithinTheLimit) {
    const auto check = [](std::int32_t columns, std::int32_t rows, int side, int down, int up,
                          int width, int height) {
        const PictureScale s = picture_scale(columns, rows, side);
        EXPECT_EQ(s.cells_per_pixel, down);
        EXPECT_EQ(s.pixels_per_cell, up);
        EXPECT_EQ(s.width, width);
        EXPECT_EQ(s.height, height);
    };
    check(199, 150, 0, 1, 1, 199, 150);
    check(199, 150, 800, 1, 4, 796, 600);
    check(10000, 5000, 0, 3, 1, 3334, 1667);
    check(5, 3, 2, 3, 1, 2, 1);
    check(1, 1, 16384, 1, 16384, 16384, 16384);
}

TEST(DtminfoPicture, BlocksWithAnyValidCellAreDrawn) {
    // 4 x 4 cells drawn on 2 x 2 pixels: the south-east block is all void,
    // the south-west and north-east ones have a single valid cell.
    const std::vector<double> cells = {5,    VOID, VOID, VOID, VOID, VOID, 1,    2, //
                                       VOID, VOID, 3,    VOID, VOID, VOID, VOID, VOID};
    const Picture picture = draw(float_grid_header(4, 4), cells, 2);
    ASSERT_EQ(picture.width, 2);
    EXPECT_EQ(pixel(picture, 0, 1).a, 255); // south-west
    EXPECT_EQ(pixel(picture, 0, 0).a, 255); // north-west: 1 and 2
    EXPECT_EQ(pixel(picture, 1, 0).a, 255); // north-east: 3
    EXPECT_EQ(pixel(picture, 1, 1).a, 0);   // south-east
}

TEST(DtminfoPicture, PicturesOfHostileValuesStayDrawable) {
    // Extremes, infinities and NaN; nothing valid at all.
    const double big = 1.7976931348623157e308;
    for (const std::vector<double>& cells : std::vector<std::vector<double>>{
             {big, -big, INFINITY, NAN}, {VOID, VOID, VOID, VOID}, {7, 7, 7, 7}}) {
        const Picture picture = draw(float_grid_header(2, 2), cells);
        EXPECT_EQ(picture.rgba.size(), 16u);
    }
}

TEST(DtminfoPicture, GeographicSpacingIsShadedInMeters) {
    // A slope rising 10 m a column eastwards, on the equator: 3 arc-seconds
    // are 92.61 m, so the geographic grid is shaded as the metric one.
    const std::vector<double> cells = {0, 0, 0, 10, 10, 10, 20, 20, 20};
    DtmHeader metric = float_grid_header(3, 3);
    metric.xy_units = metric.z_units = 1;
    metric.x_spacing = metric.y_spacing = 92.61;
    DtmHeader geographic = metric;
    geographic.x_spacing = geographic.y_spacing = 3;
    const PictureScale scale = picture_scale(3, 3, 0);
    PictureBuilder as_meters(metric, -32767.0, scale);
    PictureBuilder as_arc_seconds(geographic, -32767.0, scale, PlanimetricUnits::arc_seconds);
    as_meters.add(cells);
    as_arc_seconds.add(cells);
    const Picture expected = as_meters.render();
    const Picture drawn = as_arc_seconds.render();
    for (std::size_t i = 0; i < expected.rgba.size(); ++i) {
        EXPECT_NEAR(drawn.rgba[i], expected.rgba[i], 1) << i;
    }
}

TEST(DtminfoPicture, PngBytesAreThoseOfLibpngsSimplifiedWriter) {
    // The rows are written one by one for the progress bar; the file must
    // stay what png_image_write with PNG_IMAGE_FLAG_FAST made of it.
    DtmHeader header = float_grid_header(40, 30);
    std::vector<double> cells;
    for (int i = 0; i < 40 * 30; ++i) {
        cells.push_back(i % 7 == 0 ? VOID : std::sin(i * 0.1) * 500);
    }
    const Picture picture = draw(header, cells, 100);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGBA;
    image.flags = PNG_IMAGE_FLAG_FAST;
    std::string expected(1 << 20, '\0');
    png_alloc_size_t size = expected.size();
    ASSERT_NE(png_image_write_to_memory(&image, expected.data(), &size, 0, picture.rgba.data(), 0,
                                        nullptr),
              0);
    expected.resize(size);
    testing_support::TempDir dir;
    int rows_reported = 0;
    ASSERT_TRUE(write_png_file(dir.file("p.png"), picture,
                               [&rows_reported](std::uint64_t done, std::uint64_t total) {
                                   EXPECT_EQ(done, static_cast<std::uint64_t>(rows_reported++));
                                   EXPECT_EQ(total, 60u);
                               }));
    EXPECT_EQ(rows_reported, 60);
    EXPECT_TRUE(testing_support::read_file(dir.file("p.png")) == expected);
}
