// Numbers read as the C library's formatted input reads them ("%d" with or
// without a width, "%lf", "%f"), by hand over a TextReader: the same white
// space skipping, signs, partial numbers, overflow, values and position
// afterwards, without the cost of a library call per number.
// scanf_reference.hpp holds the library calls these are checked against.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "textscan/text_reader.hpp"

// What a scan returns, as the formatted input functions do: one number
// converted, none (the text is not a number), or the end of the input
// before anything but white space.
enum ScanStatus : int { SCAN_END = -1, SCAN_MISMATCH = 0, SCAN_OK = 1 };

namespace number_scan_detail {

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

// The common case read straight from the bytes held, eight at a time:
// blanks, an optional sign and one to seven decimal digits, all well
// within the bytes held. False, with nothing consumed, for
// anything else; the general path then reads it.
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

} // namespace number_scan_detail

// The whole of "%d" below, for what the quick path above leaves.
int scan_integer_in_full(TextReader& in, int width, std::int32_t& value);

// "%d", or "%<width>d" for width > 0: white space skipped, then an optional
// sign and decimal digits (a leading 0 is just a digit, a 0x prefix no
// prefix), at most `width` characters after the white space. Values beyond
// the range of a long saturate, then keep their low 32 bits.
inline int scan_integer(TextReader& in, int width, std::int32_t& value) {
    if (number_scan_detail::scan_plain_decimal(in, width, value)) {
        return SCAN_OK;
    }
    return scan_integer_in_full(in, width, value);
}

// "%lf": white space skipped, then a decimal or hexadecimal floating-point
// number, "inf", "infinity" or "nan" (any case), correctly rounded. A
// number cut short ("1e+") converts as far as it goes.
int scan_double(TextReader& in, double& value);

// "%f": the same text, rounded once to float.
int scan_float(TextReader& in, float& value);

// " " in a format: passes any white space.
void skip_space(TextReader& in);

// `count` numbers read as `count` calls of "%d" read them, appended to
// `values`: SCAN_OK when all were read, else the status of the first that
// could not be, with those before it appended. Runs of ordinary numbers
// (blanks, an optional minus, up to seven digits) are read many at a time.
int scan_integers(TextReader& in, std::size_t count, std::vector<std::int32_t>& values);

// The same without the values: where the numbers end, and whether they are
// numbers at all, is all the caller wants to know.
int skip_integers(TextReader& in, std::size_t count);
