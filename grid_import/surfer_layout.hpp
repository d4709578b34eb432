// The three Surfer grid layouts, each described once by its reader file:
// how to recognise it, how to open it, how many bytes a node takes at the
// least, and its header and node readers. Detection, the size check and the
// loading go through these descriptors.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "grid_import/grid_data.hpp"
#include "grid_import/grid_header.hpp"
#include "grid_import/grid_status.hpp"
#include "platform/platform.hpp"
#include "textscan/text_reader.hpp"

namespace briskel {

// The source as its readers see it: the stream, and for the text layout
// the buffered reader that goes on from the header to the nodes.
struct GridSource {
    std::string path;
    platform::UniqueFile stream;
    std::optional<textscan::TextReader> text;
    // Nodes taking more bytes than this are read in two halves at once (the
    // run's setting; never unless set).
    std::uint64_t split_from_bytes = UINT64_MAX;

    // Where the next read starts; nothing when the stream cannot tell.
    std::optional<std::uint64_t> position() const;
};

struct SurferLayout {
    const char* name;
    // True when the first bytes of a file (up to 12, fewer for a shorter
    // file) are this layout's.
    bool (*recognise)(std::span<const unsigned char> first_bytes);
    const char* open_mode;
    // The fewest bytes one node takes in the file.
    std::uint64_t node_bytes;
    // Reads the header from the start of the file; on success the source
    // stands where the nodes begin. ok or cannot_read_header.
    GridStatus (*read_header)(GridSource& source, GrdInfo& info);
    // Fills the grid from where the header reader stopped, each node turned
    // into its cell as it is read: ok only when every node was read, else
    // cannot_read_data.
    GridStatus (*read_nodes)(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell);
};

// Each defined in its own reader file.
extern const SurferLayout SURFER7_BINARY; // "DSRB", version 1
extern const SurferLayout SURFER6_BINARY; // "DSBB"
extern const SurferLayout SURFER6_ASCII;  // "DSAA"

// Every layout, in the order detection tries them.
std::span<const SurferLayout* const> surfer_layouts();

// The layout whose first bytes the file has, looked at through a stream of
// its own; nullptr for none.
const SurferLayout* detect_layout(const std::string& source_path);

// Opens the source in the layout's mode and reads its header: ok, or
// cannot_read_header (also for negative counts).
GridStatus open_grid(const SurferLayout& layout, const std::string& source_path, GridSource& source,
                     GrdInfo& info);

// False when the rest of the source is too short to hold every node the
// header announces, so that a damaged header cannot make the loader claim
// memory the file could never fill. A source whose size says nothing (a
// pipe) passes.
[[nodiscard]] bool source_holds_grid(const SurferLayout& layout, const GrdInfo& info,
                                     const GridSource& source);

} // namespace briskel
