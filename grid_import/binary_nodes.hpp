// The nodes of the binary layouts (Surfer 6 binary, Surfer 7): read a block
// of rows at a time and placed into the grid's columns as they come, in two
// halves at once when there are many.
#pragma once

#include <cstddef>

#include "grid_import/grid_data.hpp"
#include "grid_import/grid_status.hpp"
#include "grid_import/surfer_layout.hpp"

namespace briskel {

// Reads the nodes of a binary layout, float32 or float64 little-endian row
// by row from where the stream stands, a block at a time, turning each into
// its cell; many of them in two halves at once, the second read on a stream
// of its own. ok only when every node was read, else cannot_read_data.
GridStatus read_binary_nodes(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell,
                             std::size_t node_bytes);

} // namespace briskel
