#include "textscan/number_scan.hpp"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

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

// Powers of ten a double holds exactly.
constexpr double EXACT_POWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A complete decimal text ([sign] digits [. digits] [e [sign] digits]) with
// at most 15 significant digits and a small exponent: its digits and the
// power of ten are exact doubles, so one multiplication or division rounds
// it correctly. False for anything else.
bool convert_short_decimal(const char* text, std::size_t size, double& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < size && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t mantissa = 0;
    int significant = 0;
    int scale = 0;
    bool any_digit = false;
    bool dot = false;
    for (; i < size; ++i) {
        const char c = text[i];
        if (is_digit(c)) {
            any_digit = true;
            if (mantissa != 0 || c != '0') {
                if (++significant > 15) {
                    return false;
                }
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            }
            if (dot) {
                --scale;
            }
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (!any_digit) {
        return false;
    }
    if (i < size) {
        if (text[i] != 'e' || ++i == size) {
            return false;
        }
        bool negative_exponent = false;
        if (text[i] == '-' || text[i] == '+') {
            negative_exponent = text[i] == '-';
            ++i;
        }
        if (i == size || size - i > 4) {
            return false;
        }
        int exponent = 0;
        for (; i < size; ++i) {
            if (!is_digit(text[i])) {
                return false;
            }
            exponent = exponent * 10 + (text[i] - '0');
        }
        scale += negative_exponent ? -exponent : exponent;
    }
    if (scale < -22 || scale > 22) {
        return mantissa == 0 ? (value = negative ? -0.0 : 0.0, true) : false;
    }
    const double m = static_cast<double>(mantissa);
    const double magnitude = scale >= 0 ? m * EXACT_POWERS[scale] : m / EXACT_POWERS[-scale];
    value = negative ? -magnitude : magnitude;
    return true;
}

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
// cut short), the usual case, without the library where that is exact.
template <typename Real>
bool convert_decimal(const NumberText& text, Real& value) {
    if constexpr (std::is_same_v<Real, double>) {
        if (convert_short_decimal(text.data(), text.size(), value)) {
            return true;
        }
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
int scan_real(TextReader& in, Real& value) {
    int c = skip_to_text(in);
    if (c == END) {
        return SCAN_END;
    }
    NumberText text;
    bool got_sign = false;
    if (c == '-' || c == '+') {
        got_sign = true;
        text.add(c);
        c = in.get();
        if (c == END) {
            return SCAN_MISMATCH;
        }
    }
    if (lower(c) == 'n') {
        text.add(c);
        if (!gather_word(in, text, "an")) {
            return SCAN_MISMATCH;
        }
        return convert_with_library(text, value) ? SCAN_OK : SCAN_MISMATCH;
    }
    if (lower(c) == 'i') {
        text.add(c);
        if (!gather_word(in, text, "nf")) {
            return SCAN_MISMATCH;
        }
        c = in.get();
        if (c != END) {
            if (lower(c) == 'i') {
                text.add(c);
                if (!gather_word(in, text, "nity")) {
                    return SCAN_MISMATCH;
                }
            } else {
                in.unget();
            }
        }
        return convert_with_library(text, value) ? SCAN_OK : SCAN_MISMATCH;
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
        return SCAN_MISMATCH;
    }
    const bool converted = hex ? convert_with_library(text, value) : convert_decimal(text, value);
    return converted ? SCAN_OK : SCAN_MISMATCH;
}

} // namespace

namespace {} // namespace

int scan_integer_in_full(TextReader& in, int width, std::int32_t& value) {
    int left = width > 0 ? width : -1; // -1: no limit
    int c = skip_to_text(in);
    if (c == END) {
        return SCAN_END;
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
    // Accumulated as strtol does for a long: saturating at its limits.
    constexpr std::uint64_t LIMIT = static_cast<std::uint64_t>(LONG_MAX) + 1;
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
        return SCAN_MISMATCH;
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
    return SCAN_OK;
}

namespace {

// The common case read straight from the bytes held: blanks, an optional
// sign, digits with at most one point, at most 15 significant digits and
// 22 after the point, and a blank after it, all well within the bytes held.
// One exact division then rounds it as strtod does. False, with nothing
// consumed, for anything else; the general path then reads it.
bool scan_plain_double(TextReader& in, double& value) {
    const char* p = in.held_begin();
    const char* const end = in.held_end();
    for (;;) {
        if (end - p < 64) {
            return false;
        }
        if (*p == ' ') {
            ++p;
        } else if (is_space(static_cast<unsigned char>(*p))) {
            ++p;
        } else {
            break;
        }
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    if (!is_digit(static_cast<unsigned char>(*p))) {
        return false;
    }
    if (*p == '0' && (p[1] == 'x' || p[1] == 'X')) {
        return false;
    }
    const char* const digits_end = p + 40;
    std::uint64_t mantissa = 0;
    int significant = 0;
    int fraction = 0;
    bool dot = false;
    for (; p < digits_end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (is_digit(c)) {
            if (mantissa != 0 || c != '0') {
                ++significant;
            }
            mantissa = mantissa * 10 + (c - '0');
            fraction += dot ? 1 : 0;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (p == digits_end || significant > 15 || fraction > 22 ||
        !is_space(static_cast<unsigned char>(*p))) {
        return false;
    }
    const double magnitude = static_cast<double>(mantissa) / EXACT_POWERS[fraction];
    in.skip(static_cast<std::size_t>(p - in.held_begin()));
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

int scan_double(TextReader& in, double& value) {
    if (scan_plain_double(in, value)) {
        return SCAN_OK;
    }
    return scan_real(in, value);
}

int scan_float(TextReader& in, float& value) {
    return scan_real(in, value);
}

void skip_space(TextReader& in) {
    const int c = skip_to_text(in);
    if (c != END) {
        in.unget();
    }
}

namespace {

#if defined(__SSE2__)

// One bit per byte of a 64-byte window, bit i for byte i.
struct WindowMasks {
    std::uint64_t blank = 0; // white space
    std::uint64_t digit = 0; // 0..9
    std::uint64_t minus = 0; // '-'
};

std::uint64_t byte_mask(__m128i bytes) {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(bytes)) & 0xFFFFu;
}

WindowMasks classify(const char* p) {
    WindowMasks masks;
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i minus = _mm_set1_epi8('-');
    // Signed compares: bytes of 0x80 and above are negative, so neither
    // digits nor white space.
    const __m128i below_zero = _mm_set1_epi8('0' - 1);
    const __m128i above_nine = _mm_set1_epi8('9' + 1);
    const __m128i below_tab = _mm_set1_epi8('\t' - 1);
    const __m128i above_return = _mm_set1_epi8('\r' + 1);
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i digit =
            _mm_and_si128(_mm_cmpgt_epi8(bytes, below_zero), _mm_cmplt_epi8(bytes, above_nine));
        const __m128i control =
            _mm_and_si128(_mm_cmpgt_epi8(bytes, below_tab), _mm_cmplt_epi8(bytes, above_return));
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(bytes, space), control);
        masks.digit |= byte_mask(digit) << (16 * part);
        masks.blank |= byte_mask(blank) << (16 * part);
        masks.minus |= byte_mask(_mm_cmpeq_epi8(bytes, minus)) << (16 * part);
    }
    return masks;
}

// Bits first..last (inclusive) set.
std::uint64_t bit_range(int first, int last) {
    return ((std::uint64_t{2} << last) - 1) & ~((std::uint64_t{1} << first) - 1);
}

// Reads the numbers that lie wholly inside the 64 bytes from the reader's
// position when every one of them is ordinary: blanks before it, an
// optional minus and digits, a blank after it. That is checked for the whole window at once;
// numbers then pair off as the n-th start with the n-th end, and the reader stands right after the
// last one read. -1 when the window is not like that; 0 when its first number has more than seven
// digits. Either way the caller reads one number alone and tries again. `values` null: the numbers
// are only passed over, whatever their length.
int scan_ordinary_window(TextReader& in, std::size_t wanted, std::vector<std::int32_t>* values) {
    const char* const p = in.held_begin();
    const WindowMasks masks = classify(p);
    const std::uint64_t other = ~(masks.blank | masks.digit | masks.minus);
    const std::uint64_t region =
        other == 0 ? ~std::uint64_t{0} : (std::uint64_t{1} << std::countr_zero(other)) - 1;
    const std::uint64_t token = (masks.digit | masks.minus) & region;
    const std::uint64_t ends = token & ((masks.blank & region) >> 1);
    if (ends == 0) {
        return -1;
    }
    const std::uint64_t area = bit_range(0, 63 - std::countl_zero(ends));
    std::uint64_t starts = token & ~(token << 1) & area;
    const std::uint64_t minus = masks.minus & area;
    // A minus only first in a number and before a digit.
    if ((minus & ~starts) != 0 || ((minus << 1) & ~masks.digit) != 0) {
        return -1;
    }
    if (values == nullptr) {
        const int take = static_cast<int>(
            std::min<std::size_t>(wanted, static_cast<std::size_t>(std::popcount(ends))));
        std::uint64_t taken_ends = ends;
        for (int i = 1; i < take; ++i) {
            taken_ends &= taken_ends - 1;
        }
        in.skip(static_cast<std::size_t>(std::countr_zero(taken_ends) + 1));
        return take;
    }
    std::int32_t found[32];
    std::uint64_t number_ends = ends;
    int count = 0;
    const int limit = static_cast<int>(std::min<std::size_t>(wanted, 32));
    int after_last = 0;
    while (number_ends != 0 && count < limit) {
        const int start = std::countr_zero(starts);
        const int last = std::countr_zero(number_ends);
        starts &= starts - 1;
        number_ends &= number_ends - 1;
        const int negative = (masks.minus >> start) & 1;
        const int first_digit = start + negative;
        const int digits = last + 1 - first_digit;
        if (digits > 7) {
            break;
        }
        const std::int32_t magnitude = number_scan_detail::digits_value(
            number_scan_detail::load_eight(p + first_digit), digits);
        found[count++] = negative != 0 ? -magnitude : magnitude;
        after_last = last + 1;
    }
    values->insert(values->end(), found, found + count);
    in.skip(static_cast<std::size_t>(after_last));
    return count;
}

#endif

} // namespace

namespace {

// Reads or, with `values` null, passes over `count` numbers.
int scan_or_skip_integers(TextReader& in, std::size_t count, std::vector<std::int32_t>* values) {
    std::size_t left = count;
    while (left > 0) {
#if defined(__SSE2__)
        // A window needs 64 bytes, and 8 more for the last number's digits.
        if (in.held_end() - in.held_begin() >= 80) {
            const int read = scan_ordinary_window(in, left, values);
            if (read > 0) {
                left -= static_cast<std::size_t>(read);
                continue;
            }
        }
#endif
        std::int32_t value = 0;
        const int status = scan_integer(in, 0, value);
        if (status != SCAN_OK) {
            return status;
        }
        if (values != nullptr) {
            values->push_back(value);
        }
        --left;
    }
    return SCAN_OK;
}

} // namespace

int scan_integers(TextReader& in, std::size_t count, std::vector<std::int32_t>& values) {
    return scan_or_skip_integers(in, count, &values);
}

int skip_integers(TextReader& in, std::size_t count) {
    return scan_or_skip_integers(in, count, nullptr);
}
