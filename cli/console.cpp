#include "cli/console.hpp"

namespace cli {

bool quiet_mode = false;
bool messages_to_stderr = false;
platform::UniqueFile log_file;

namespace {

// Every text is on the screen before the call returns: progress lines end
// without a line end and the unit question waits for a key right after.
void write_console(std::string_view text) {
    if (messages_to_stderr) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    platform::flush_console();
}

} // namespace

void print_error(std::string_view text) {
    std::string line = "ERROR: ";
    line += text;
    line += '\n';
    write_console(line);
}

void print_info(std::string_view text) {
    if (!quiet_mode) {
        write_console(text);
    }
}

void print_log_or_info(std::string_view text) {
    if (log_file) {
        // Written out at once, so that the log of an interrupted batch
        // holds every entry made before the interruption.
        std::fwrite(text.data(), 1, text.size(), log_file.get());
        std::fflush(log_file.get());
        return;
    }
    print_info(text);
}

} // namespace cli
