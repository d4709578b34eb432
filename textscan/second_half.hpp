// A long text read in two halves at once: while the caller reads the first
// half, the second is scanned on a thread and a stream of its own, from the
// first place past the middle where the caller's rule finds a start. The
// first half takes the second's work only if it arrives exactly at that start
// and the scan did not break: reading on from the same byte is then what it
// would have done itself.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "platform/platform.hpp"
#include "textscan/text_reader.hpp"

namespace textscan {

class SecondHalf {
  public:
    // Opens the file again at byte `middle`; `find_start` leaves the reader
    // where the second half starts, or returns false when it finds none.
    bool open(const std::string& path, std::uint64_t middle,
              const std::function<bool(TextReader&)>& find_start) {
        stream_ = platform::open_read_stream(path, "rb");
        if (stream_ && platform::seek(stream_.get(), middle) &&
            find_start(in_.emplace(stream_.get()))) {
            start_ = in_->tell();
        }
        return start_ >= 0;
    }
    std::int64_t start() const { return start_; }

    // Runs `scan` on a thread; an exception it throws leaves the second half
    // broken. When this object goes, the scan is asked to stop and waited
    // for: declare it after what the scan fills.
    void run(std::function<void(TextReader&, std::stop_token)> scan) {
        thread_ = std::jthread([this, scan = std::move(scan)](std::stop_token stop) {
            try {
                scan(*in_, stop);
            } catch (...) {
                broken_ = true;
            }
        });
    }

    // Once the first half stands at `position`, at or past the start, waits
    // for the scan; true when the two join: `position` is the start and the
    // scan did not break.
    bool join_at(std::int64_t position) {
        if (!thread_.joinable() || position < start_) {
            return false;
        }
        thread_.join();
        return position == start_ && !broken_;
    }

  private:
    platform::UniqueFile stream_;
    std::optional<TextReader> in_;
    std::int64_t start_ = -1;
    bool broken_ = false;
    std::jthread thread_; // last: it stops and ends before the reader goes
};

} // namespace textscan
