// Little-endian loads and stores: the byte order of every binary file the
// tools read or write, whatever the machine's own.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace dtm {

namespace endian_detail {

template <std::size_t Size>
struct UnsignedOfSize;
template <>
struct UnsignedOfSize<1> {
    using type = std::uint8_t;
};
template <>
struct UnsignedOfSize<2> {
    using type = std::uint16_t;
};
template <>
struct UnsignedOfSize<4> {
    using type = std::uint32_t;
};
template <>
struct UnsignedOfSize<8> {
    using type = std::uint64_t;
};

template <typename Unsigned>
constexpr Unsigned reverse_bytes(Unsigned value) {
    Unsigned reversed = 0;
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
        reversed = static_cast<Unsigned>((reversed << 8) | ((value >> (8 * i)) & 0xFFu));
    }
    return reversed;
}

} // namespace endian_detail

// The value whose little-endian bytes start at `bytes` (an integer, float or
// double).
template <typename Value>
Value load_le(const void* bytes) {
    static_assert(std::is_arithmetic_v<Value>);
    using Unsigned = typename endian_detail::UnsignedOfSize<sizeof(Value)>::type;
    Unsigned bits = 0;
    std::memcpy(&bits, bytes, sizeof bits);
    if constexpr (std::endian::native == std::endian::big) {
        bits = endian_detail::reverse_bytes(bits);
    }
    return std::bit_cast<Value>(bits);
}

// Stores the value's little-endian bytes at `bytes`.
template <typename Value>
void store_le(void* bytes, Value value) {
    static_assert(std::is_arithmetic_v<Value>);
    using Unsigned = typename endian_detail::UnsignedOfSize<sizeof(Value)>::type;
    auto bits = std::bit_cast<Unsigned>(value);
    if constexpr (std::endian::native == std::endian::big) {
        bits = endian_detail::reverse_bytes(bits);
    }
    std::memcpy(bytes, &bits, sizeof bits);
}

} // namespace dtm
