#include "textscan/number_scan.hpp"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <system_error>
#include <type_traits>

#include "textscan/number_scan_fast.hpp"

namespace textscan {

namespace {

constexpr int END = TextReader::END;

bool is_space(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

bool is_hex_digit(int c) {
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int lower(int c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// The first non-blank byte, or END.
int skip_to_text(TextReader& in) {
    int c = 0;
    do {
        c = in.get();
    } while (c != END && is_space(c));
    return c;
}

// The text of one floating-point number as the formatted input gathers it
// before converting: short texts stay in place, long ones move to a string.
class NumberText {
  public:
    void add(int c) {
        if (size_ < SMALL) [[likely]] {
            small_[size_++] = static_cast<char>(c);
        } else {
            add_to_large(c);
        }
    }
    std::size_t size() const { return size_; }
    char back() const { return data()[size_ - 1]; }
    const char* data() const { return large_ ? large_->data() : small_; }
    // A copy ended by a NUL, for the C library.
    std::string c_string() const { return std::string(data(), size_); }

  private:
    static constexpr std::size_t SMALL = 64;

    [[gnu::noinline]] void add_to_large(int c) {
        if (!large_) {
            large_ = std::make_unique<std::string>(small_, size_);
        }
        large_->push_back(static_cast<char>(c));
        ++size_;
    }

    char small_[SMALL];
    std::size_t size_ = 0;
    std::unique_ptr<std::string> large_;
};

// Converts the gathered text as strtod (or strtof) does, taking the longest
// prefix that is a number. False when not even one character converts.
template <typename Real>
bool convert_with_library(const NumberText& text, Real& value) {
    const std::string copy = text.c_string();
    char* end = nullptr;
    Real converted{};
    if constexpr (std::is_same_v<Real, double>) {
        converted = std::strtod(copy.c_str(), &end);
    } else {
        converted = std::strtof(copy.c_str(), &end);
    }
    if (end == copy.c_str()) {
        return false;
    }
    value = converted;
    return true;
}

// The same for a decimal text (digits, a point and an exponent, possibly
// cut short), the usual case: std::from_chars where it reads the whole text.
template <typename Real>
bool convert_decimal(const NumberText& text, Real& value) {
    if constexpr (std::is_same_v<Real, double>) {
        // std::from_chars rounds as strtod does; it knows no '+', and
        // leaves out-of-range values and partial texts to the library.
        const char* first = text.data();
        const char* last = first + text.size();
        if (first != last && *first == '+') {
            ++first;
        }
        double converted = 0.0;
        const auto [end, error] = std::from_chars(first, last, converted);
        if (error == std::errc() && end == last) {
            value = converted;
            return true;
        }
    }
    return convert_with_library(text, value);
}

// Reads the letters of `word` after its first one (already added), any
// case; false at the first that differs (which is then consumed).
bool gather_word(TextReader& in, NumberText& text, const char* rest) {
    for (const char* w = rest; *w != '\0'; ++w) {
        const int c = in.get();
        if (c == END || lower(c) != *w) {
            return false;
        }
        text.add(c);
    }
    return true;
}

template <typename Real>
ScanStatus scan_real(TextReader& in, Real& value) {
    int c = skip_to_text(in);
    if (c == END) {
        return ScanStatus::end;
    }
    NumberText text;
    bool got_sign = false;
    if (c == '-' || c == '+') {
        got_sign = true;
        text.add(c);
        c = in.get();
        if (c == END) {
            return ScanStatus::mismatch;
        }
    }
    if (lower(c) == 'n') {
        text.add(c);
        if (!gather_word(in, text, "an")) {
            return ScanStatus::mismatch;
        }
        return convert_with_library(text, value) ? ScanStatus::ok : ScanStatus::mismatch;
    }
    if (lower(c) == 'i') {
        text.add(c);
        if (!gather_word(in, text, "nf")) {
            return ScanStatus::mismatch;
        }
        c = in.get();
        if (c != END) {
            if (lower(c) == 'i') {
                text.add(c);
                if (!gather_word(in, text, "nity")) {
                    return ScanStatus::mismatch;
                }
            } else {
                in.unget();
            }
        }
        return convert_with_library(text, value) ? ScanStatus::ok : ScanStatus::mismatch;
    }

    bool got_digit = false;
    bool got_dot = false;
    bool got_e = false;
    bool hex = false;
    char exponent_char = 'e';
    if (c == '0') {
        text.add(c);
        c = in.get();
        if (lower(c) == 'x') {
            text.add(c);
            hex = true;
            exponent_char = 'p';
            c = in.get();
        } else {
            got_digit = true;
        }
    }
    for (;;) {
        if (is_digit(c)) {
            text.add(c);
            got_digit = true;
        } else if (!got_e && hex && is_hex_digit(c)) {
            text.add(c);
            got_digit = true;
        } else if (got_e && text.back() == exponent_char && (c == '-' || c == '+')) {
            text.add(c);
        } else if (got_digit && !got_e && lower(c) == exponent_char) {
            text.add(exponent_char);
            got_e = true;
            got_dot = true;
        } else if (!got_dot && c == '.') {
            text.add(c);
            got_dot = true;
        } else {
            if (c != END) {
                in.unget();
            }
            break;
        }
        c = in.get();
        if (c == END) {
            break;
        }
    }
    // Nothing but a sign, or a sign and "0x", is no number at all.
    const std::size_t sign = got_sign ? 1 : 0;
    if (text.size() == sign || (hex && text.size() == sign + 2)) {
        return ScanStatus::mismatch;
    }
    const bool converted = hex ? convert_with_library(text, value) : convert_decimal(text, value);
    return converted ? ScanStatus::ok : ScanStatus::mismatch;
}

// "%d" or "%<width>d" read character by character, for what the fast
// path leaves.
ScanStatus read_integer(TextReader& in, int width, std::int32_t& value) {
    int left = width > 0 ? width : -1; // -1: no limit
    int c = skip_to_text(in);
    if (c == END) {
        return ScanStatus::end;
    }
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        if (left > 0) {
            --left;
        }
        c = in.get();
    }
    // Decimal only: a leading 0 is a digit like any other, and "0x" ends
    // the number after its 0.
    // Accumulated as strtol does for a long of 64 bits (the C library whose
    // reading the tools keep, on every system): saturating at its limits.
    constexpr std::uint64_t LIMIT =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1;
    constexpr std::uint64_t LARGEST_BEFORE_DIGIT = LIMIT / 10;
    bool any_digit = false;
    std::uint64_t magnitude = 0;
    bool saturated = false;
    while (c != END && left != 0 && is_digit(c)) {
        any_digit = true;
        if (saturated || magnitude > LARGEST_BEFORE_DIGIT) {
            saturated = true;
        } else {
            magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
            saturated = magnitude > LIMIT;
        }
        if (left > 0) {
            --left;
        }
        c = in.get();
    }
    if (c != END) {
        in.unget();
    }
    if (!any_digit) {
        return ScanStatus::mismatch;
    }
    std::int64_t result = 0;
    if (negative) {
        result = saturated || magnitude >= LIMIT ? std::numeric_limits<std::int64_t>::min()
                                                 : -static_cast<std::int64_t>(magnitude);
    } else {
        result = saturated || magnitude >= LIMIT ? std::numeric_limits<std::int64_t>::max()
                                                 : static_cast<std::int64_t>(magnitude);
    }
    value = static_cast<std::int32_t>(result); // the low 32 bits, as the library stores an int
    return ScanStatus::ok;
}

// Reads or, with `values` null, passes over `count` numbers.
ScanStatus scan_or_skip_integers(TextReader& in, std::size_t count,
                                 std::vector<std::int32_t>* values) {
    std::size_t left = count;
    while (left > 0) {
        if (in.held_end() - in.held_begin() >= fast::WINDOW_BYTES) {
            const int read = fast::scan_ordinary_window(in, left, values);
            if (read > 0) {
                left -= static_cast<std::size_t>(read);
                continue;
            }
        }
        std::int32_t value = 0;
        const ScanStatus status = scan_integer(in, 0, value);
        if (status != ScanStatus::ok) {
            return status;
        }
        if (values != nullptr) {
            values->push_back(value);
        }
        --left;
    }
    return ScanStatus::ok;
}

} // namespace

ScanStatus scan_integer(TextReader& in, int width, std::int32_t& value) {
    if (fast::scan_plain_decimal(in, width, value)) {
        return ScanStatus::ok;
    }
    return read_integer(in, width, value);
}

ScanStatus scan_double(TextReader& in, double& value) {
    if (fast::scan_plain_double(in, value)) {
        return ScanStatus::ok;
    }
    return scan_real(in, value);
}

ScanStatus scan_float(TextReader& in, float& value) {
    return scan_real(in, value);
}

void skip_space(TextReader& in) {
    const int c = skip_to_text(in);
    if (c != END) {
        in.unget();
    }
}

ScanStatus scan_integers(TextReader& in, std::size_t count, std::vector<std::int32_t>& values) {
    return scan_or_skip_integers(in, count, &values);
}

ScanStatus skip_integers(TextReader& in, std::size_t count) {
    return scan_or_skip_integers(in, count, nullptr);
}

} // namespace textscan
