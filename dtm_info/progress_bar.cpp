#include "dtm_info/progress_bar.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace dtminfo {

namespace {

constexpr int BAR_WIDTH = 30;

// Back to the start of the line, and the line cleared to its end.
constexpr std::string_view ERASE = "\r\x1b[K";

} // namespace

ProgressBar::ProgressBar(Clock clock, Sink sink)
    : clock_(std::move(clock)), sink_(std::move(sink)) {
    if (clock_) {
        start_ = clock_();
    }
}

void ProgressBar::update(std::string_view task, std::uint64_t done, std::uint64_t total) {
    if (!clock_ || !sink_) {
        return;
    }
    const double now = clock_();
    if (now - start_ < DELAY || (drawn_once_ && now - last_drawn_ < INTERVAL)) {
        return;
    }
    // The line is cleared after the text, so that a shorter one leaves
    // nothing of the last behind.
    std::string line(1, '\r');
    line += format_line(task, done, total, now - start_);
    line += "\x1b[K";
    sink_(line);
    last_drawn_ = now;
    drawn_once_ = true;
    showing_ = true;
}

void ProgressBar::clear() {
    if (showing_) {
        sink_(ERASE);
        showing_ = false;
    }
}

std::string ProgressBar::format_line(std::string_view task, std::uint64_t done, std::uint64_t total,
                                     double elapsed_seconds) {
    // Whole per cents, rounded down: 100% only when all is done.
    const std::uint64_t part = std::min(done, total);
    const int percent =
        total == 0 ? 100 : static_cast<int>(static_cast<long double>(part) * 100 / total);
    const int filled = percent * BAR_WIDTH / 100;
    const auto seconds = static_cast<long long>(std::max(elapsed_seconds, 0.0));
    const std::string elapsed =
        seconds >= 3600 ? textscan::format_text("%lld:%02lld:%02lld", seconds / 3600,
                                                seconds / 60 % 60, seconds % 60)
                        : textscan::format_text("%lld:%02lld", seconds / 60, seconds % 60);
    return textscan::format_text("%-15.*s [%s%s] %3d%% %s", static_cast<int>(task.size()),
                                 task.data(), std::string(filled, '#').c_str(),
                                 std::string(BAR_WIDTH - filled, '.').c_str(), percent,
                                 elapsed.c_str());
}

ProgressBar terminal_progress_bar(bool wanted) {
    if (!wanted || !platform::is_terminal(stderr)) {
        return {};
    }
    return ProgressBar(
        [] {
            return std::chrono::duration<double>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        },
        [](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
        });
}

} // namespace dtminfo
