#include "textscan/number_scan_fast.hpp"

#include <algorithm>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace textscan::fast {

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
int window_numbers(TextReader& in, std::size_t wanted, std::vector<std::int32_t>* values) {
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
        const std::int32_t magnitude = digits_value(load_eight(p + first_digit), digits);
        found[count++] = negative != 0 ? -magnitude : magnitude;
        after_last = last + 1;
    }
    values->insert(values->end(), found, found + count);
    in.skip(static_cast<std::size_t>(after_last));
    return count;
}

#endif

} // namespace

int scan_ordinary_window(TextReader& in, std::size_t wanted, std::vector<std::int32_t>* values) {
#if defined(__SSE2__)
    return window_numbers(in, wanted, values);
#else
    (void)in;
    (void)wanted;
    (void)values;
    return 0;
#endif
}

} // namespace textscan::fast
