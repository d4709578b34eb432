// The progress line of a pass over the profiles: "<label>...profile       of
// <count>", the counter moved on every ten profiles, and the line cleared at
// the end of the pass, whether it succeeded or not. Nothing without a
// console to show it on.
#pragma once

#include <cstdint>

#include "cli/console.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {

class ProfileProgress {
  public:
    ProfileProgress(cli::Reporter* console, const char* label, std::int32_t count)
        : console_(console) {
        if (console_ != nullptr) {
            console_->info(textscan::format_text("%s...profile       of %5li", label,
                                                 static_cast<long>(count)));
            console_->info("\b\b\b\b\b\b\b\b\b");
        }
    }

    void reached(std::int32_t profile) {
        if (profile % 10 == 0 && console_ != nullptr) {
            console_->info(textscan::format_text("\b\b\b\b\b%5li", static_cast<long>(profile)));
        }
    }

    void clear() {
        if (console_ != nullptr) {
            console_->info(
                "\r                                                                      \r");
        }
    }

  private:
    cli::Reporter* console_;
};

} // namespace taverlin
