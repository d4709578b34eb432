// Clean-up and checks of the source and destination names given to either
// tool, and the option-word syntax both command lines share. Each check
// reports its own fault through print_error and never stops the checks that
// follow it.
#pragma once

#include <optional>
#include <string>

namespace cli {

// What a program's command line asks for: a run, or the usage text (after
// a fault, or /H or /?); or, as its only request, the usage text or the
// version (dtminfo's --help and --version), which are no fault.
enum class [[nodiscard]] CommandLine{run, show_usage, show_help, show_version};

// Longest name the tools accept; longer ones are refused, never cut.
inline constexpr std::size_t MAX_PATH_LENGTH = 259;

// The command-line word without a leading double quote, every other double
// quote replaced by a space.
std::string clean_file_argument(const std::string& word);

// False, with "File name too long ..." reported, for a name longer than
// MAX_PATH_LENGTH bytes.
[[nodiscard]] bool check_path_length(const std::string& path);

// False when nothing exists under the name or it cannot be read.
[[nodiscard]] bool check_source_file(const std::string& source);

// Prints the overwrite notice (through print_info) when the name exists.
void warn_if_destination_exists(const std::string& destination);

// False when the two names are equal, or denote one file on disk under two
// spellings (a link, "./a" and "a", a case variant).
[[nodiscard]] bool check_names_differ(const std::string& source, const std::string& destination);

// check_source_file, warn_if_destination_exists and check_names_differ, all
// three always; false when a check failed.
[[nodiscard]] bool check_file_arguments(const std::string& source, const std::string& destination);

// True for a word that starts with '-' or '/'.
bool is_option_word(const std::string& word);

// The option letter (the second character) of an option word, '\0' if none.
char option_letter(const std::string& word);

// Upper-cases the word in place and returns its third character when that is
// 'F' or 'M'.
std::optional<char> read_unit_option(std::string& word);

// read_unit_option, reporting "Bad command line argument: %s" with the
// upper-cased word when it names no unit.
std::optional<char> take_unit_option(std::string& word);

// Reports "Bad command line argument: %s" with the word as it stands.
void report_bad_argument(const std::string& word);

} // namespace cli
