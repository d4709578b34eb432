// The fast paths of the number scanners, private to textscan: the common
// cases read straight from the bytes a TextReader holds, eight or sixty-four
// bytes at a time, with the same results as the general readers in
// number_scan.cpp, which take over whenever a fast path declines. Only the
// scanners include this header; the one-number paths are inline so that
// they cost no call.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "textscan/text_reader.hpp"

namespace textscan::fast {

inline bool is_space(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// Powers of ten a double holds exactly.
inline constexpr double EXACT_POWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline constexpr std::uint64_t EVERY_BYTE = 0x0101010101010101u;

inline std::uint64_t load_eight(const char* p) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The value of the first `count` (1..8) bytes of `word`, all digits, the
// first the most significant: moved to the top of the word behind zeros,
// then combined pairwise by three multiplications.
inline std::int32_t digits_value(std::uint64_t word, int count) {
    constexpr std::uint64_t MASK = 0x000000FF000000FFu;
    constexpr std::uint64_t MUL1 = 100 + (1000000ull << 32);
    constexpr std::uint64_t MUL2 = 1 + (10000ull << 32);
    std::uint64_t digits = (word & (0x0F * EVERY_BYTE)) << (8 * (8 - count));
    digits = digits * 10 + (digits >> 8);
    return static_cast<std::int32_t>(
        (((digits & MASK) * MUL1) + (((digits >> 16) & MASK) * MUL2)) >> 32);
}

// Blanks, an optional sign and one to seven decimal digits, read as "%d"
// (or "%<width>d" for width > 0) reads them, all well within the bytes held.
// False, with nothing consumed, for anything else.
inline bool scan_plain_decimal(TextReader& in, int width, std::int32_t& value) {
    if constexpr (std::endian::native != std::endian::little) {
        return false;
    }
    const char* p = in.held_begin();
    const char* const end = in.held_end();
    for (;;) {
        if (end - p < 32) {
            return false;
        }
        const std::uint64_t not_blank = load_eight(p) ^ (' ' * EVERY_BYTE);
        if (not_blank == 0) {
            p += 8;
            continue;
        }
        p += std::countr_zero(not_blank) / 8;
        if (!(*p == ' ' || (*p >= '\t' && *p <= '\r'))) {
            break;
        }
        ++p; // a tab, line end or other white space
    }
    const char* const start = p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return false;
    }
    const std::uint64_t word = load_eight(p);
    // Nonzero in every byte that is not a digit: a high nibble other than 3,
    // or a low nibble above 9.
    const std::uint64_t not_digit =
        ((word & (0xF0 * EVERY_BYTE)) ^ ('0' * EVERY_BYTE)) |
        (((word & (0x0F * EVERY_BYTE)) + 6 * EVERY_BYTE) & (0xF0 * EVERY_BYTE));
    if (not_digit == 0) {
        return false; // eight digits or more
    }
    int count = std::countr_zero(not_digit) / 8;
    if (width > 0) {
        count = std::min(count, width - static_cast<int>(p - start));
        if (count <= 0) {
            return false;
        }
    }
    const std::int32_t magnitude = digits_value(word, count);
    in.skip(static_cast<std::size_t>(p + count - in.held_begin()));
    value = negative ? -magnitude : magnitude;
    return true;
}

// Blanks, an optional sign, digits with at most one point, at most 15
// significant digits and 22 after the point, and a blank after it, all well
// within the bytes held, read as "%lf" reads them. False, with nothing
// consumed, for anything else.
// One exact division rounds the digits as strtod does.
inline bool scan_plain_double(TextReader& in, double& value) {
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

// Bytes a window needs held: 64, and 8 more for the last number's digits.
inline constexpr std::ptrdiff_t WINDOW_BYTES = 80;

// Reads the numbers that lie wholly inside the 64 bytes from the reader's
// position when every one of them is ordinary (blanks before it, an
// optional minus and digits, a blank after it): how many were read, at most
// `wanted`; 0 or less when the window is not like that or its first number
// is too long, and the caller then reads one number alone. `values` null:
// the numbers are only passed over. Always 0 without SSE2.
int scan_ordinary_window(TextReader& in, std::size_t wanted, std::vector<std::int32_t>* values);

} // namespace textscan::fast
