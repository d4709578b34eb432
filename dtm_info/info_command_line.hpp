// The dtminfo command line: the DTM file, then options.
#pragma once

#include <string>
#include <vector>

#include "cli/file_args.hpp"
#include "dtm_info/info_settings.hpp"

namespace dtminfo {

// Fills the settings from the arguments after the program name, reporting
// every fault in argument order. /J is taken first, wherever it stands: it
// sends those reports to standard error. A first word --help or --version
// asks for that alone.
cli::CommandLine parse_command_line(const std::vector<std::string>& arguments,
                                    InfoSettings& settings);

// The usage text, straight to standard output (standard error under /J)
// whatever quiet mode says.
void print_usage();

} // namespace dtminfo
