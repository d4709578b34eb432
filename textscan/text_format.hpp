// printf-style formatting into a string, for messages and reports.
#pragma once

#include <cstdio>
#include <string>

namespace textscan {

// printf-style formatting into a string; the finished text is what the
// printers receive, so a percent sign inside an argument is printed as it is.
// On Windows the C99 formatting of MinGW-w64 is used (%zu, %lld, exact
// floating point), the same as on Linux.
#ifdef __MINGW_PRINTF_FORMAT
std::string format_text(const char* format, ...)
    __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));
#else
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
#endif

} // namespace textscan
