#include "cli/file_args.hpp"

#include "cli/console.hpp"
#include "platform/platform.hpp"

namespace cli {

using textscan::format_text;

std::string clean_file_argument(const std::string& word) {
    std::string path = (!word.empty() && word[0] == '"') ? word.substr(1) : word;
    for (char& c : path) {
        if (c == '"') {
            c = ' ';
        }
    }
    return path;
}

bool check_path_length(const std::string& path) {
    if (path.size() <= MAX_PATH_LENGTH) {
        return true;
    }
    print_error(format_text("File name too long (more than %zu characters): %s", MAX_PATH_LENGTH,
                            path.c_str()));
    return false;
}

bool check_source_file(const std::string& source) {
    if (!platform::path_exists(source)) {
        print_error(format_text("Source file not found: %s", source.c_str()));
        return false;
    }
    if (!platform::path_readable(source)) {
        print_error(format_text("Source file found but not available for read access.\n"
                                " Source file: %s",
                                source.c_str()));
        return false;
    }
    return true;
}

void warn_if_destination_exists(const std::string& destination) {
    if (platform::path_exists(destination)) {
        print_info(
            format_text("Destination file will be overwritten: %s\n\n", destination.c_str()));
    }
}

bool check_names_differ(const std::string& source, const std::string& destination) {
    if (source == destination || platform::same_file(source, destination)) {
        print_error("Source file name and destination file name cannot be the same");
        return false;
    }
    return true;
}

bool check_file_arguments(const std::string& source, const std::string& destination) {
    bool good = check_source_file(source);
    warn_if_destination_exists(destination);
    good = check_names_differ(source, destination) && good;
    return good;
}

bool is_option_word(const std::string& word) {
    return !word.empty() && (word[0] == '-' || word[0] == '/');
}

char option_letter(const std::string& word) {
    return word.size() >= 2 ? word[1] : '\0';
}

void report_bad_argument(const std::string& word) {
    print_error(format_text("Bad command line argument: %s", word.c_str()));
}

std::optional<char> take_unit_option(std::string& word) {
    const auto unit = read_unit_option(word);
    if (!unit) {
        report_bad_argument(word);
    }
    return unit;
}

std::optional<char> read_unit_option(std::string& word) {
    word = platform::to_upper_ascii(word);
    if (word.size() >= 3 && (word[2] == 'F' || word[2] == 'M')) {
        return word[2];
    }
    return std::nullopt;
}

} // namespace cli
