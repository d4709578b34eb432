// Console reporting shared by both tools: errors always reach standard
// output, information is silenced by quiet mode, and the entries of a batch
// go to the log file when one is open.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/platform.hpp"
#include "textscan/text_format.hpp"

namespace cli {

// Switched on by the /Q option and never off again.
extern bool quiet_mode;

// Switched on by a program whose standard output carries data (dtminfo's
// /J): error lines and information then go to standard error instead.
extern bool messages_to_stderr;

// The log of a batch run while it is open; empty otherwise.
extern platform::UniqueFile log_file;

// "ERROR: " + text + newline on standard output (standard error with
// messages_to_stderr), whatever quiet mode says.
void print_error(std::string_view text);

// The text as it stands on standard output (standard error with
// messages_to_stderr), unless quiet mode is on.
void print_info(std::string_view text);

// The text into the log file when one is open, else as print_info.
void print_log_or_info(std::string_view text);

} // namespace cli
