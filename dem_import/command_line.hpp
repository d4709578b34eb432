// The taverlin command line: single-file form "source dest [options]" and
// batch form "@list [options]".
#pragma once

#include <string>
#include <vector>

#include "cli/file_args.hpp"
#include "dem_import/run_settings.hpp"

namespace taverlin {

// Fills the settings from the arguments after the program name, reporting
// every fault.
cli::CommandLine parse_command_line(std::vector<std::string> arguments, DemRunSettings& settings);

// The usage text, straight to standard output whatever quiet mode says.
void print_usage();

} // namespace taverlin
