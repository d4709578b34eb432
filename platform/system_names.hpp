// What each system's side of the platform layer tells the shared part
// about names.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Where the file name in a path begins: after the last directory separator
// ("/" on POSIX systems; "/" or "\\", or a drive's "C:", on Windows).
std::size_t file_name_start(const std::string& path);

} // namespace platform
