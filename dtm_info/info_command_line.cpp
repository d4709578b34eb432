#include "dtm_info/info_command_line.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "cli/console.hpp"
#include "cli/file_args.hpp"
#include "platform/platform.hpp"

namespace dtminfo {

using cli::print_error;

namespace {

// The text after the option letter, as a whole decimal number.
std::optional<double> read_number(const std::string& text) {
    double value = 0.0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc{} || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// One option word; false when it is faulty or asks for the usage text.
bool apply_option(const std::string& word, InfoSettings& settings) {
    const std::string value = word.size() > 2 ? word.substr(2) : std::string{};
    switch (cli::option_letter(word)) {
    case '?':
    case 'H':
    case 'h':
        return false;
    case 'G':
    case 'g':
        settings.degrees = true;
        return true;
    case 'I':
    case 'i':
        if (value.empty()) {
            cli::report_bad_argument(word);
            return false;
        }
        settings.picture_path = value;
        return cli::check_path_length(value);
    case 'J':
    case 'j':
        return true; // taken before the others
    case 'Q':
    case 'q':
        cli::quiet_mode = true;
        return true;
    case 'V':
    case 'v':
        if (const auto number = read_number(value)) {
            settings.void_value = *number;
            return true;
        }
        cli::report_bad_argument(word);
        return false;
    case 'W':
    case 'w': {
        const auto number = read_number(value);
        if (!number || *number < 1 || *number > PICTURE_MAX_SIDE ||
            *number != std::floor(*number)) {
            cli::report_bad_argument(word);
            return false;
        }
        settings.picture_side = static_cast<int>(*number);
        return true;
    }
    default:
        cli::report_bad_argument(word);
        return false;
    }
}

// The words that ask for the usage text in place of the DTM file; any other
// first word is the file, whatever it starts with.
bool is_help_word(const std::string& word) {
    return word == "/?" || word == "/H" || word == "/h" || word == "-?" || word == "-h";
}

bool is_json_option(const std::string& word) {
    return cli::is_option_word(word) &&
           (cli::option_letter(word) == 'J' || cli::option_letter(word) == 'j');
}

} // namespace

cli::CommandLine parse_command_line(const std::vector<std::string>& arguments,
                                    InfoSettings& settings) {
    if (!arguments.empty() && arguments[0] == "--help") {
        return cli::CommandLine::show_help;
    }
    if (!arguments.empty() && arguments[0] == "--version") {
        return cli::CommandLine::show_version;
    }
    // Standard output is the JSON object's alone, so /J sends every report,
    // the usage text too, to standard error before any is made.
    const bool source_given = !arguments.empty() && !is_help_word(arguments[0]);
    for (std::size_t i = source_given ? 1 : 0; i < arguments.size(); ++i) {
        if (is_json_option(arguments[i])) {
            settings.json = true;
            cli::messages_to_stderr = true;
        }
    }
    // The first word is the DTM file (an absolute path also starts with
    // '/'), unless it is a help word or there is none: then the usage text
    // is asked for, and each option word is still examined so that its
    // fault is reported.
    if (!source_given) {
        for (const std::string& word : arguments) {
            if (cli::is_option_word(word)) {
                apply_option(word, settings);
            }
        }
        return cli::CommandLine::show_usage;
    }
    bool usable = true;
    // A file that cannot be opened is the run's error, not the command line's.
    settings.source_path = cli::clean_file_argument(arguments[0]);
    if (!cli::check_path_length(settings.source_path)) {
        usable = false;
    } else {
        settings.source_path = platform::resolve_path(settings.source_path);
    }
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (!cli::is_option_word(arguments[i])) {
            print_error("Bad command line");
            usable = false;
        } else if (!apply_option(arguments[i], settings)) {
            usable = false;
        }
    }
    if (usable && !settings.picture_path.empty()) {
        if (!cli::check_names_differ(settings.source_path, settings.picture_path)) {
            usable = false;
        } else {
            cli::warn_if_destination_exists(settings.picture_path);
        }
    }
    return usable ? cli::CommandLine::run : cli::CommandLine::show_usage;
}

void print_usage() {
    std::fputs("DTMINFO usage:\n"
               "   DTMINFO source [/Ipicture /Wpixels /Vvalue /G /J /Q /H]\n"
               "   DTMINFO --help | --version\n"
               "   source    name of VORDA DTM data file to describe\n"
               "   /Ipicture write a PNG picture of the grid, north up, to file picture\n"
               "   /Wpixels  picture at most pixels wide and high (default: one pixel\n"
               "             per cell, up to 4096)\n"
               "   /Vvalue   value of void cells (default: -1 in TAVERLIN files,\n"
               "             -32767 in BRISKEL files)\n"
               "   /G        X and Y are degrees of longitude and latitude: the picture's\n"
               "             shading takes 111320 m a degree of Y, times cos(latitude) for X\n"
               "   /J        print the description as one JSON object instead of the text;\n"
               "             errors and notices go to standard error. Keys: json_version,\n"
               "             file, status (\"ok\" or \"error\"), error, header (signature,\n"
               "             description, version, x_origin, y_origin, z_min, z_max,\n"
               "             rotation, x_spacing, y_spacing, column_count, row_count,\n"
               "             xy_units, z_units, cell_type, coordinate_system,\n"
               "             coordinate_zone), elevation_range_recorded, void_value,\n"
               "             cell_count, extent, extent_degrees, file_length,\n"
               "             reserved_bytes_zero, xy_look_like_degrees, cells (valid,\n"
               "             void, not_finite, minimum, maximum, mean), header_range,\n"
               "             picture; null where not known.\n"
               "             A number with a unit is {\"value\", \"unit\"}; NaN and\n"
               "             infinity are a null value with a \"note\". See dtminfo(1)\n"
               "   /Q        print nothing but errors\n"
               "Example command line:\n"
               "   DTMINFO helens.dtm /ihelens.png /w800\n"
               "Notes:\n"
               "   - the picture is colored by elevation and hill shaded;\n"
               "     void cells are transparent\n"
               "   - exit status is 1 when the file cannot be read or is not a\n"
               "     complete DTM file\n",
               cli::messages_to_stderr ? stderr : stdout);
    platform::flush_console();
}

} // namespace dtminfo
