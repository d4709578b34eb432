#include "dem_import/batch.hpp"

#include "cli/console.hpp"
#include "cli/file_args.hpp"
#include "cli/platform.hpp"
#include "dem_import/conversion.hpp"

ListLineStatus read_list_line(std::FILE* list, std::string& line, std::int32_t& list_line_number) {
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
                return LIST_END;
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
        return length > MAX_PATH_LENGTH ? LIST_LINE_TOO_LONG : LIST_LINE;
    }
}

int derive_batch_paths(const std::string& line, DemRunSettings& settings) {
    settings.source_path = platform::to_upper_ascii(line);
    platform::PathParts parts = platform::split_path(settings.source_path);
    parts.extension = ".DTM";
    settings.dest_path = platform::to_upper_ascii(platform::join_path(parts));
    if (!check_path_length(settings.dest_path)) {
        return 1;
    }
    if (!check_file_arguments(settings.source_path, settings.dest_path)) {
        return 1;
    }
    const std::string report_path = derive_report_path(settings.dest_path, true);
    if (!check_path_length(report_path) || !check_report_path(settings.source_path, report_path)) {
        return 1;
    }
    if (platform::same_file(settings.dest_path, settings.list_path) ||
        platform::same_file(report_path, settings.list_path)) {
        print_error("Destination file name and list file name cannot be the same");
        return 1;
    }
    return 0;
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
    log_file = platform::open_write_stream(BATCH_LOG_NAME, "w");

    std::string line;
    bool any_failed = false;
    for (;;) {
        const ListLineStatus status = read_list_line(list.get(), line, list_line_number);
        if (status == LIST_END) {
            break;
        }
        if (status == LIST_LINE_TOO_LONG) {
            report_list_error(format_text("File name too long (more than %zu characters): %s in "
                                          "line %li of list file",
                                          MAX_PATH_LENGTH, line.c_str(),
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
        if (derive_batch_paths(line, settings) != 0) {
            report_list_error(format_text(
                "Cannot create source and destination file name using %s as a base", line.c_str()));
            any_failed = true;
            continue;
        }
        print_info(format_text("Processing DEM file: %s to create %s\n",
                               settings.source_path.c_str(), settings.dest_path.c_str()));
        print_log_or_info(format_text("%s...processing to create %s...",
                                      settings.source_path.c_str(), settings.dest_path.c_str()));

        const ConversionResult result = convert_dem_file(settings);
        if (result.outcome == ConversionOutcome::HeaderUnreadable) {
            print_error("Cannot read USGS DEM file header");
            log_file.reset();
            return 1;
        }
        if (result.outcome == ConversionOutcome::Failed) {
            print_error(result.message);
            print_log_or_info(result.message + "\n");
            any_failed = true;
            continue;
        }
        print_log_or_info("Done\n");
    }
    list.reset();
    log_file.reset();
    settings.batch_mode = false;
    print_info(LOG_HINT);
    // A batch in which any line failed says so to whoever called it.
    return any_failed ? 1 : 0;
}
