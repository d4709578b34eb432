// printf-style formatting into a string, for messages and reports.
#pragma once

#include <string>

namespace textscan {

// printf-style formatting into a string; the finished text is what the
// printers receive, so a percent sign inside an argument is printed as it is.
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace textscan
