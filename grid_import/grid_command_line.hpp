// The briskel command line: source dest xyunits zunits, then options.
#pragma once

#include <string>
#include <vector>

#include "cli/file_args.hpp"
#include "grid_import/grid_run_settings.hpp"

namespace briskel {

// Fills the settings from the arguments after the program name, reporting
// every fault in argument order.
cli::CommandLine parse_command_line(std::vector<std::string> arguments, GrdRunSettings& settings);

// The usage text, straight to standard output whatever quiet mode says.
void print_usage();

// The /Z value: an optional sign and decimal digits after leading white
// space, as atoi reads them (no digits gives 0), held within 32 bits.
std::int32_t read_zone_number(const std::string& text);

} // namespace briskel
