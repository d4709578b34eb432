// What one dtminfo run is asked to do.
#pragma once

#include <optional>
#include <string>

namespace dtminfo {

// Longest side of a picture, and the default when /W is not given and the
// grid is larger.
inline constexpr int PICTURE_DEFAULT_LIMIT = 4096;
inline constexpr int PICTURE_MAX_SIDE = 16384;

struct InfoSettings {
    std::string source_path;
    std::string picture_path;         // empty: no picture
    int picture_side = 0;             // 0: one pixel a cell, up to PICTURE_DEFAULT_LIMIT
    std::optional<double> void_value; // /V; otherwise the writing tool's convention
    bool degrees = false;             // /G: X and Y are longitude and latitude
    bool json = false;                // /J: one JSON object on standard output
};

} // namespace dtminfo
