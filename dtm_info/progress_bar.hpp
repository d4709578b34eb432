// A one-line progress bar for long work: the task, a bar, the percentage and
// the time since the run began, redrawn in place on a terminal. It stays
// away from short runs (nothing before a second has passed) and is redrawn at
// most ten times a second, so that callers may report after every block of
// work; the clock is read only when they do.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace dtminfo {

class ProgressBar {
  public:
    // Seconds on a steady clock, and where the bar's text goes.
    using Clock = std::function<double()>;
    using Sink = std::function<void(std::string_view)>;

    // Seconds before the bar first shows, and at least between two drawings.
    static constexpr double DELAY = 1.0;
    static constexpr double INTERVAL = 0.1;

    // A bar that never shows.
    ProgressBar() = default;
    // A bar whose time starts now.
    ProgressBar(Clock clock, Sink sink);

    // `done` of `total` steps of the task; drawn when the delay and the
    // interval allow.
    void update(std::string_view task, std::uint64_t done, std::uint64_t total);

    // Erases the bar when it shows: before other output to the same
    // terminal, and at the end of the work.
    void clear();

    // The bar's line, without the carriage return that starts each drawing.
    static std::string format_line(std::string_view task, std::uint64_t done, std::uint64_t total,
                                   double elapsed_seconds);

  private:
    Clock clock_;
    Sink sink_;
    double start_ = 0.0;
    double last_drawn_ = 0.0;
    bool drawn_once_ = false;
    bool showing_ = false;
};

// The bar of a run: on standard error when it is a terminal and `wanted`,
// otherwise one that never shows.
ProgressBar terminal_progress_bar(bool wanted);

} // namespace dtminfo
