// Writing a picture as a PNG file through libpng.
#pragma once

#include <string>

#include "dtm_info/terrain_picture.hpp"

namespace dtminfo {

// Writes the picture as an 8-bit RGBA PNG file, creating or truncating it,
// and reports each row written when asked to. False when the file cannot be
// opened or written; a file this call created or truncated is then removed
// (only ever a regular file).
[[nodiscard]] bool write_png_file(const std::string& path, const Picture& picture,
                                  const ProgressReport& progress = {});

} // namespace dtminfo
