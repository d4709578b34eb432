#include <gtest/gtest.h>

#include <cmath>
#include <png.h>
#include <vector>

#include "dtm_info/png_file.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;
using namespace dtminfo;

namespace {

DtmHeader grid(std::int32_t columns, std::int32_t rows) {
    DtmHeader header;
    header.column_count = columns;
    header.row_count = rows;
    header.x_spacing = 30.0;
    header.y_spacing = 30.0;
    header.data_type = DTM_FLOAT32;
    return header;
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

TEST(DtminfoPicture, PngBytesAreThoseOfLibpngsSimplifiedWriter) {
    // The rows are written one by one for the progress bar; the file must
    // stay what png_image_write with PNG_IMAGE_FLAG_FAST made of it.
    DtmHeader header = grid(40, 30);
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
