#include "dtm_info/png_file.hpp"

#include <png.h>

#include "cli/platform.hpp"

bool write_png_file(const std::string& path, const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    platform::OutputGuard output;
    platform::UniqueFile file = platform::create_output_stream(path);
    if (!file) {
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGBA;
    // Quicker compression: pictures of large grids compress several times
    // faster for files a few per cent larger.
    image.flags = PNG_IMAGE_FLAG_FAST;
    const bool written =
        png_image_write_to_stdio(&image, file.get(), 0, picture.rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    if (!platform::close_file(file) || !written) {
        return false;
    }
    output.commit();
    return true;
}
