// The header of a Surfer grid, common to the three layouts, and the pieces
// of the Surfer 7 section structure the readers share.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "grid_import/grid_detect.hpp"

// Header values of the grid, in the order and widths of the Surfer 7 GRID
// section body. Units are the source's own.
struct GrdInfo {
    std::int32_t rows = 0;
    std::int32_t columns = 0; // nodes in each row
    double x_min = 0.0;       // X of the first column
    double y_min = 0.0;       // Y of the first row
    double x_spacing = 0.0;
    double y_spacing = 0.0;
    double z_min = 0.0;
    double z_max = 0.0;
    double rotation = 0.0;    // as stored by Surfer 7; 0 for Surfer 6
    double blank_value = 0.0; // nodes at or above it are blank
};

inline constexpr std::size_t GRD_INFO_SIZE = 72;

// Blank value of both Surfer 6 layouts: the float32 nearest 1.70141e38,
// widened (bits 47DFFFFDC0000000).
inline constexpr double GRD_V6_BLANK_VALUE = 1.701410009187828e+38;

// Surfer 6 ASCII files write their blank nodes as 1.70141E+38; any node at
// or above it is blank.
inline constexpr double GRD_V6_ASCII_BLANK_VALUE = 1.70141e38;

// The 8 bytes that open every Surfer 7 section.
struct GrdSectionHeader {
    std::int32_t tag = 0; // four letters read as one little-endian integer
    std::int32_t size = 0;
};

inline constexpr std::int32_t grd_tag(const char (&letters)[5]) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(letters[0]) |
                                     static_cast<std::uint32_t>(letters[1]) << 8 |
                                     static_cast<std::uint32_t>(letters[2]) << 16 |
                                     static_cast<std::uint32_t>(letters[3]) << 24);
}
inline constexpr std::int32_t GRD_TAG_DSRB = grd_tag("DSRB");
inline constexpr std::int32_t GRD_TAG_GRID = grd_tag("GRID");
inline constexpr std::int32_t GRD_TAG_DATA = grd_tag("DATA");

// Little-endian values from raw bytes.
inline std::uint64_t load_le_bits(const unsigned char* bytes, std::size_t size) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < size; ++i) {
        bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    return bits;
}
inline std::int16_t load_le_int16(const unsigned char* bytes) {
    return static_cast<std::int16_t>(load_le_bits(bytes, 2));
}
inline std::int32_t load_le_int32(const unsigned char* bytes) {
    return static_cast<std::int32_t>(load_le_bits(bytes, 4));
}
inline float load_le_float32(const unsigned char* bytes) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(load_le_bits(bytes, 4)));
}
inline double load_le_float64(const unsigned char* bytes) {
    return std::bit_cast<double>(load_le_bits(bytes, 8));
}

// Reads 8 bytes as a section header; false when fewer are left.
bool read_section_header(std::FILE* stream, GrdSectionHeader& section);

// Walks Surfer 7 sections from the stream's position to the one tagged
// `tag`, skipping others by their size, and leaves the stream at its body,
// with its header in `section`. False at the end of the file, or at a
// negative size (a walk that would go back over sections already read).
bool find_section(std::FILE* stream, std::int32_t tag, GrdSectionHeader& section);

// Reads the header of the given layout from the start of the stream into
// `info`. 1 on success, 0 on failure (also for negative counts). On success
// the stream stands where the node values begin.
int read_grid_header(GrdKind kind, std::FILE* stream, GrdInfo& info);
