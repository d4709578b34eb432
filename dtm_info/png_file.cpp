#include "dtm_info/png_file.hpp"

#include <csetjmp>
#include <png.h>

#include "platform/platform.hpp"

namespace dtminfo {

namespace {

// libpng's faults end the write through the jump its error handler takes
// back into write_rows; warnings are not shown.
[[noreturn]] void png_fault(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}

void png_warning_ignored(png_structp /*png*/, png_const_charp /*message*/) {}

// The picture through libpng onto the stream, written as its simplified
// write API with PNG_IMAGE_FLAG_FAST writes it (sRGB, no filters, zlib level
// 3), so that the bytes are those of earlier versions, but a row at a time.
// Only plain values live in this frame, which a fault jumps back into.
bool write_rows(std::FILE* stream, const Picture& picture, const ProgressReport* progress) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fault, png_warning_ignored);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, stream);
    png_set_benign_errors(png, 0);
    const auto width = static_cast<png_uint_32>(picture.width);
    const auto height = static_cast<png_uint_32>(picture.height);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(png, info);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_NO_FILTERS);
    png_set_compression_level(png, 3);
    const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
    for (png_uint_32 y = 0; y < height; ++y) {
        if (progress != nullptr && *progress) {
            (*progress)(y, height);
        }
        png_write_row(png, picture.rgba.data() + y * row_bytes);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool write_png_file(const std::string& path, const Picture& picture,
                    const ProgressReport& progress) {
    if (picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    platform::OutputFile file;
    if (!file.create(path)) {
        return false;
    }
    // A picture not written completely is removed.
    return write_rows(file.stream(), picture, &progress) && file.commit();
}

} // namespace dtminfo
