// Surfer 7 tagged binary grids: a chain of sections, each an 8-byte header
// (tag, size) and a body; the GRID body holds the header values and the
// DATA body the float64 nodes row by row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace briskel {

// The 8 bytes that open every section.
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

// Bytes of the GRID body's values.
inline constexpr std::size_t GRD_INFO_SIZE = 72;

// Walks the sections from the stream's position to the one tagged `tag`,
// skipping others by their size, and leaves the stream at its body, with
// its header in `section`. False at the end of the file, or at a negative
// size (a walk that would go back over sections already read).
[[nodiscard]] bool find_section(std::FILE* stream, std::int32_t tag, GrdSectionHeader& section);

} // namespace briskel
