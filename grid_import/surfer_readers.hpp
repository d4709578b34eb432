// Header and node readers of each Surfer grid layout. Header readers start
// at the beginning of the stream and return 1 on success, 0 on failure; node
// readers go on from where the header reader stopped and return 1 only when
// every node of the grid was read.
#pragma once

#include <cstdio>

#include "grid_import/grid_data.hpp"
#include "grid_import/grid_header.hpp"

// Surfer 7 tagged binary ("DSRB"): sections walked to GRID, then to DATA.
int read_surfer7_header(std::FILE* stream, GrdInfo& info);
int read_surfer7_data(std::FILE* stream, GrdGrid& grid);

// Surfer 6 binary ("DSBB"): int16 counts, float64 limits, float32 nodes.
int read_surfer6_binary_header(std::FILE* stream, GrdInfo& info);
int read_surfer6_binary_data(std::FILE* stream, GrdGrid& grid);

// Surfer 6 ASCII ("DSAA"): white-space separated numbers.
int read_surfer6_ascii_header(std::FILE* stream, GrdInfo& info);
int read_surfer6_ascii_data(std::FILE* stream, GrdGrid& grid);
