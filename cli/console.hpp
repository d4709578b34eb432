// Console reporting shared by both tools: errors always reach standard
// output, information is silenced by quiet mode, and the entries of a batch
// go to the log file when one is open.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.hpp"
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

// Where a conversion's console lines (progress, summary, errors) go and
// where the answer to its question comes from: the console, or memory.
class Reporter {
  public:
    virtual ~Reporter() = default;
    virtual void info(std::string_view text) = 0;  // as print_info
    virtual void error(std::string_view text) = 0; // as print_error
    // One key without echo; none at the end of the input.
    virtual std::optional<int> read_key() = 0;
};

// The console itself, through the functions above.
class ConsoleReporter : public Reporter {
  public:
    void info(std::string_view text) override { print_info(text); }
    void error(std::string_view text) override { print_error(text); }
    std::optional<int> read_key() override { return platform::read_console_key(); }
};

} // namespace cli
