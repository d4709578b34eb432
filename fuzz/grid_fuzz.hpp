// The whole path of a Surfer grid through briskel, for one layout: header,
// the size check against the file, allocation, the nodes and the DTM cells.
#pragma once

#include <cstddef>
#include <cstdint>

#include "grid_import/grid_detect.hpp"

int fuzz_grid_layout(GrdKind kind, const std::uint8_t* data, std::size_t size);
