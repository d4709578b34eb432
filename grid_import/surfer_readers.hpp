// Header and node readers of each Surfer grid layout. Header readers start
// at the beginning of the stream and return 1 on success, 0 on failure; node
// readers go on from where the header reader stopped and return 1 only when
// every node of the grid was read.
#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

#include "grid_data.hpp"
#include "grid_header.hpp"

// Reads every node of the grid, row after row, as little-endian values of
// `width` bytes decoded by `decode`, in blocks. False when the file ends
// first.
template <typename Decode>
bool read_binary_nodes(std::FILE* stream, GrdGrid& grid, std::size_t width, Decode decode) {
    constexpr std::size_t BLOCK_NODES = 1u << 16;
    const std::size_t total = grid.size();
    std::vector<unsigned char> bytes(std::min(total, BLOCK_NODES) * width);
    for (std::size_t done = 0; done < total;) {
        const std::size_t count = std::min(total - done, BLOCK_NODES);
        if (std::fread(bytes.data(), width, count, stream) != count) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            grid.nodes[done + i] = decode(bytes.data() + width * i);
        }
        done += count;
    }
    return true;
}

// Surfer 7 tagged binary ("DSRB"): sections walked to GRID, then to DATA.
int read_surfer7_header(std::FILE* stream, GrdInfo& info);
int read_surfer7_data(std::FILE* stream, GrdGrid& grid);

// Surfer 6 binary ("DSBB"): int16 counts, float64 limits, float32 nodes.
int read_surfer6_binary_header(std::FILE* stream, GrdInfo& info);
int read_surfer6_binary_data(std::FILE* stream, GrdGrid& grid);

// Surfer 6 ASCII ("DSAA"): white-space separated numbers.
int read_surfer6_ascii_header(std::FILE* stream, GrdInfo& info);
int read_surfer6_ascii_data(std::FILE* stream, GrdGrid& grid);
