#include "dtm_info/png_file.hpp"

#include <png.h>

#include "cli/platform.hpp"

namespace dtminfo {

bool write_png_file(const std::string& path, const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    platform::OutputFile file;
    if (!file.create(path)) {
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
        png_image_write_to_stdio(&image, file.stream(), 0, picture.rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    // A picture not written completely is removed.
    return written && file.commit();
}

} // namespace dtminfo
