#include "dem_import/batch.hpp"

#include "cli/console.hpp"
#include "cli/file_args.hpp"
#include "dem_import/conversion.hpp"
#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

using cli::print_error;
using cli::print_info;
using cli::print_log_or_info;
using textscan::format_text;

ListLine read_list_line(std::FILE* list, std::string& line, std::int32_t& list_line_number) {
    // Bytes kept of an over-long line, for its message.
    constexpr std::size_t KEPT_BYTES = 4096;
    for (;;) {
        std::string raw;
        std::size_t length = 0;
        int c = 0;
        while ((c = std::fgetc(list)) != EOF && c != '\r' && c != '\n') {
            if (raw.size() < KEPT_BYTES) {
                raw.push_back(static_cast<char>(c));
            }
            ++length;
        }
        if (length == 0) {
            if (c == EOF) {
                return ListLine::end;
            }
            continue;
        }
        ++list_line_number;
        const auto first = static_cast<unsigned char>(raw[0]);
        if (first == '!' || first == '%' || first == ';' || first == 0xFF) {
            continue;
        }
        // A NUL ends the name as it would end a C string.
        line = raw.substr(0, raw.find('\0'));
        return length > cli::MAX_PATH_LENGTH ? ListLine::too_long : ListLine::path;
    }
}

bool derive_batch_paths(const std::string& line, DemRunSettings& settings) {
    settings.source_path = platform::to_upper_ascii(line);
    platform::PathParts parts = platform::split_path(settings.source_path);
    parts.extension = ".DTM";
    settings.dest_path = platform::to_upper_ascii(platform::join_path(parts));
    if (!cli::check_path_length(settings.dest_path) ||
        !cli::check_file_arguments(settings.source_path, settings.dest_path)) {
        return false;
    }
    const std::string report_path = derive_report_path(settings.dest_path, true);
    if (!cli::check_path_length(report_path) ||
        !check_report_path(settings.source_path, settings.dest_path, report_path)) {
        return false;
    }
    if (platform::same_file(settings.dest_path, settings.list_path) ||
        platform::same_file(report_path, settings.list_path)) {
        print_error("Destination file name and list file name cannot be the same");
        return false;
    }
    return true;
}

namespace {

const char* const LOG_HINT = "See TAVERLIN.logfile for error information\n";

// An error entry: on the console, and as a line of the log.
void report_list_error(const std::string& text) {
    print_error(text);
    print_log_or_info(text + "\n");
    print_info(LOG_HINT);
}

} // namespace

int run_batch(DemRunSettings& settings) {
    platform::UniqueFile list = platform::open_read_stream(settings.list_path, "r");
    if (!list) {
        print_error(format_text("Cannot open list file: %s", settings.list_path.c_str()));
        return 1;
    }
    std::int32_t list_line_number = 0;
    cli::log_file = platform::open_write_stream(BATCH_LOG_NAME, "w");

    std::string line;
    bool any_failed = false;
    for (;;) {
        const ListLine status = read_list_line(list.get(), line, list_line_number);
        if (status == ListLine::end) {
            break;
        }
        if (status == ListLine::too_long) {
            report_list_error(format_text("File name too long (more than %zu characters): %s in "
                                          "line %li of list file",
                                          cli::MAX_PATH_LENGTH, line.c_str(),
                                          static_cast<long>(list_line_number)));
            any_failed = true;
            continue;
        }
        if (!platform::path_exists(line)) {
            report_list_error(format_text("Cannot find file: %s in line %li of list file",
                                          line.c_str(), static_cast<long>(list_line_number)));
            any_failed = true;
            continue;
        }
        if (!derive_batch_paths(line, settings)) {
            report_list_error(format_text(
                "Cannot create source and destination file name using %s as a base", line.c_str()));
            any_failed = true;
            continue;
        }
        print_info(format_text("Processing DEM file: %s to create %s\n",
                               settings.source_path.c_str(), settings.dest_path.c_str()));
        print_log_or_info(format_text("%s...processing to create %s...",
                                      settings.source_path.c_str(), settings.dest_path.c_str()));

        const DemResult result = convert_dem_file(settings);
        if (result.status == DemStatus::cannot_read_header) {
            print_error(dem_message(result, settings));
            cli::log_file.reset();
            return 1;
        }
        if (!result.ok()) {
            const std::string message = dem_message(result, settings);
            print_error(message);
            print_log_or_info(message + "\n");
            any_failed = true;
            continue;
        }
        print_log_or_info("Done\n");
    }
    list.reset();
    cli::log_file.reset();
    settings.batch_mode = false;
    print_info(LOG_HINT);
    // A batch in which any line failed says so to whoever called it.
    return any_failed ? 1 : 0;
}

} // namespace taverlin
