#include "dem_import/command_line.hpp"

#include <cstdio>

#include "cli/console.hpp"
#include "cli/file_args.hpp"
#include "dem_import/conversion.hpp"
#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

using cli::check_path_length;
using cli::print_error;
using textscan::format_text;

namespace {

// Checks and the overwrite notice for the two names of the single-file form;
// they come before any option is read, so /Q does not silence the notice.
bool check_single_file_names(DemRunSettings& settings) {
    const bool source_fits = check_path_length(settings.source_path);
    const bool dest_fits = check_path_length(settings.dest_path);
    if (!source_fits || !dest_fits) {
        // The checks of whichever name fits are still made.
        if (source_fits) {
            (void)cli::check_source_file(settings.source_path);
        }
        if (dest_fits) {
            cli::warn_if_destination_exists(settings.dest_path);
        }
        return false;
    }
    if (!cli::check_file_arguments(settings.source_path, settings.dest_path)) {
        return false;
    }
    const std::string report_path = derive_report_path(settings.dest_path, false);
    return check_path_length(report_path) &&
           check_report_path(settings.source_path, settings.dest_path, report_path);
}

// One option word; false when it is faulty or asks for the usage text.
bool apply_option(std::string word, DemRunSettings& settings) {
    if (!cli::is_option_word(word)) {
        print_error("Bad command line");
        return false;
    }
    std::optional<dtm::Unit>* output_unit = nullptr;
    dtm::Unit* fallback_unit = nullptr;
    switch (cli::option_letter(word)) {
    case 'X':
    case 'x':
        output_unit = &settings.output_xy_unit;
        break;
    case 'Z':
    case 'z':
        output_unit = &settings.output_z_unit;
        break;
    case 'P':
    case 'p':
        fallback_unit = &settings.fallback_xy_unit;
        break;
    case 'E':
    case 'e':
        fallback_unit = &settings.fallback_z_unit;
        break;
    case 'Q':
    case 'q':
        cli::quiet_mode = true;
        return true;
    case 'S':
    case 's':
        settings.suppress_progress = true;
        return true;
    case 'V':
    case 'v':
        settings.prompt_for_units = true;
        return true;
    case 'H':
    case 'h':
    case '?':
        return false;
    default:
        cli::report_bad_argument(word);
        return false;
    }
    const auto letter = cli::take_unit_option(word);
    if (!letter) {
        return false;
    }
    const dtm::Unit unit = *letter == 'F' ? dtm::Unit::feet : dtm::Unit::meters;
    if (output_unit != nullptr) {
        *output_unit = unit;
    } else {
        *fallback_unit = unit;
    }
    return true;
}

} // namespace

cli::CommandLine parse_command_line(std::vector<std::string> arguments, DemRunSettings& settings) {
    if (arguments.empty() || (arguments.size() == 1 && arguments[0].rfind('@', 0) != 0)) {
        return cli::CommandLine::show_usage;
    }
    bool usable = true;
    std::size_t first_option = 0;
    if (arguments[0][0] == '@') {
        settings.batch_mode = true;
        settings.list_path = arguments[0].substr(1);
        if (!check_path_length(settings.list_path)) {
            usable = false;
        } else if (!platform::path_exists(settings.list_path)) {
            print_error(format_text("List file not found: %s", settings.list_path.c_str()));
            usable = false;
        }
        first_option = 1;
    } else {
        settings.source_path = platform::to_lower_ascii(cli::clean_file_argument(arguments[0]));
        settings.dest_path = platform::to_lower_ascii(cli::clean_file_argument(arguments[1]));
        if (!check_single_file_names(settings)) {
            usable = false;
        }
        first_option = 2;
    }
    for (std::size_t i = first_option; i < arguments.size(); ++i) {
        if (!apply_option(arguments[i], settings)) {
            usable = false;
        }
    }
    return usable ? cli::CommandLine::run : cli::CommandLine::show_usage;
}

void print_usage() {
    std::fputs("TAVERLIN usage:\n"
               "   TAVERLIN source dest [/Xunits] [/Zunits] [/Q]\n"
               "   source   name of source USGS DEM data file\n"
               "   dest     name of reformatted DTM data file\n"
               "   /Xunits  desired units of measurement for planimetric (XY) data\n"
               "   /Zunits  desired units of measurement for elevation (Z) data\n"
               "   /Eunits  input units for elevation (Z) data...only used if \n"
               "            unit flag is missing in input file\n"
               "   /Punits  input units for planimetricn (XY) data...only used if \n"
               "            unit flag is missing in input file\n"
               "   /Q       suppress all output to the screen\n"
               "   /V       prompt for units if missing in input file\n"
               "-OR-\n"
               "   TAVERLIN @list [/Xunits] [/Zunits] [/Q]\n"
               "   @list    name of a text file containing a list of USGS DEM data files.\n"
               "            List file should be arranged with one file per line\n"
               "            Converted files will be stored in files with the extension .DTM\n"
               "Notes:\n"
               "   - unit choices are FEET or METERS or F or M\n"
               "   - source and destination file names must be different\n"
               "   - existing destination file will be overwritten\n",
               stdout);
    platform::flush_console();
}

} // namespace taverlin
