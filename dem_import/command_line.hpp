// The taverlin command line: single-file form "source dest [options]" and
// batch form "@list [options]".
#pragma once

#include <string>
#include <vector>

#include "dem_import/run_settings.hpp"

// Fills the settings from the arguments after the program name, reporting
// every fault. 0 to go on, 1 to show the usage text.
int parse_command_line(std::vector<std::string> arguments, DemRunSettings& settings);

// The usage text, straight to standard output whatever quiet mode says.
void print_usage();
