// Which of the three Surfer grid layouts a file holds, from its first bytes.
#pragma once

#include <cstdint>
#include <string>

enum GrdKind : std::int32_t {
    GRD_NOT_SURFER = 0,
    GRD_V7_BINARY = 1, // "DSRB", version 1
    GRD_V6_BINARY = 2, // "DSBB"
    GRD_V6_ASCII = 3,  // "DSAA"
};

// Looks at the file through a stream of its own, closed again before it
// returns.
GrdKind detect_grid_kind(const std::string& source_path);
