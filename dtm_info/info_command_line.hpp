// The dtminfo command line: the DTM file, then options.
#pragma once

#include <string>
#include <vector>

#include "dtm_info/info_settings.hpp"

// Fills the settings from the arguments after the program name, reporting
// every fault in argument order. 0 to go on, 1 to show the usage text.
int parse_command_line(const std::vector<std::string>& arguments, InfoSettings& settings);

// The usage text, straight to standard output whatever quiet mode says.
void print_usage();
