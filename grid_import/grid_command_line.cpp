#include "grid_import/grid_command_line.hpp"

#include <cstdint>
#include <cstdio>

#include "cli/console.hpp"
#include "cli/file_args.hpp"
#include "platform/platform.hpp"

namespace briskel {

using cli::print_error;

std::int32_t read_zone_number(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t LIMIT = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - '0'), LIMIT);
    }
    const std::int64_t value = negative ? -magnitude : std::min(magnitude, LIMIT - 1);
    return static_cast<std::int32_t>(value);
}

namespace {

// The first character of a positional unit argument: F feet, M meters.
bool read_source_unit(const std::string& word, dtm::Unit& unit) {
    const char first = word.empty() ? '\0' : word[0];
    if (first == 'F' || first == 'f') {
        unit = dtm::Unit::feet;
        return true;
    }
    if (first == 'M' || first == 'm') {
        unit = dtm::Unit::meters;
        return true;
    }
    return false;
}

// One option word; false when it is faulty or asks for the usage text.
bool apply_option(std::string word, GrdRunSettings& settings) {
    if (!cli::is_option_word(word)) {
        print_error("Bad command line");
        return false;
    }
    dtm::Unit* unit_setting = nullptr;
    switch (cli::option_letter(word)) {
    case '?':
    case 'H':
    case 'h':
        return false;
    case 'E':
    case 'e':
        unit_setting = &settings.dst_z_units;
        break;
    case 'P':
    case 'p':
        unit_setting = &settings.dst_xy_units;
        break;
    case 'Q':
    case 'q':
        cli::quiet_mode = true;
        return true;
    case 'S':
    case 's': {
        word = platform::to_upper_ascii(word);
        const char system = word.size() >= 3 ? word[2] : '\0';
        if (system != 'U' && system != 'S') {
            cli::report_bad_argument(word);
            return false;
        }
        settings.coord_system = system == 'U' ? 1 : 2;
        return true;
    }
    case 'Z':
    case 'z':
        settings.coord_zone = read_zone_number(word.substr(2));
        return true;
    default:
        cli::report_bad_argument(word);
        return false;
    }
    const auto letter = cli::take_unit_option(word);
    if (!letter) {
        return false;
    }
    *unit_setting = *letter == 'F' ? dtm::Unit::feet : dtm::Unit::meters;
    return true;
}

} // namespace

cli::CommandLine parse_command_line(std::vector<std::string> arguments, GrdRunSettings& settings) {
    if (arguments.size() < 4) {
        return cli::CommandLine::show_usage;
    }
    bool usable = true;
    settings.source_path = platform::to_lower_ascii(cli::clean_file_argument(arguments[0]));
    settings.dest_path = platform::to_lower_ascii(cli::clean_file_argument(arguments[1]));
    const bool source_fits = cli::check_path_length(settings.source_path);
    const bool dest_fits = cli::check_path_length(settings.dest_path);
    if (!source_fits || !dest_fits) {
        usable = false;
    }
    if (source_fits && !cli::check_source_file(settings.source_path)) {
        usable = false;
    }
    if (source_fits && dest_fits &&
        !cli::check_names_differ(settings.source_path, settings.dest_path)) {
        usable = false;
    }
    if (!read_source_unit(arguments[2], settings.src_xy_units)) {
        print_error("Invalid units for planimetric measurements");
        usable = false;
    }
    if (!read_source_unit(arguments[3], settings.src_z_units)) {
        print_error("Invalid units for elevations");
        usable = false;
    }
    for (std::size_t i = 4; i < arguments.size(); ++i) {
        if (!apply_option(arguments[i], settings)) {
            usable = false;
        }
    }
    if (dest_fits) {
        cli::warn_if_destination_exists(settings.dest_path);
    }
    return usable ? cli::CommandLine::run : cli::CommandLine::show_usage;
}

void print_usage() {
    std::fputs("BRISKEL usage:\n"
               "   BRISKEL source dest xyunits zunits [/Scoordsys /Zzone /Punits /Eunits /Q /H]\n"
               "   source   name of source SURFER GRD data file\n"
               "   dest     name of reformatted VORDA DTM data file\n"
               "   xyunits  units in source file for XY data (F=feet, M=meters)\n"
               "   zunits   units in source file for elevation data (F=feet, M=meters)\n"
               "   /Ssys    coordinate system (UTM or SP)\n"
               "   /Zzone   coordinate system zone\n"
               "   /Punits  units for XY data in output DTM\n"
               "   /Eunits  units for elevation data in output DTM\n"
               "   /Q       suppress all output to the screen\n"
               "Example command line:\n"
               "   BRISKEL helens2.grd helens.dtm f f /sutm /z10\n"
               "Notes:\n"
               "   - source and destination file names must be different\n"
               "   - existing destination file will be overwritten\n",
               stdout);
    platform::flush_console();
}

} // namespace briskel
