#include "grid_import/surfer_layout.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "dtmfile/endian.hpp"

namespace briskel {

std::optional<std::uint64_t> GridSource::position() const {
    if (text) {
        return static_cast<std::uint64_t>(text->tell());
    }
    return platform::tell(stream.get());
}

std::span<const SurferLayout* const> surfer_layouts() {
    static constexpr std::array<const SurferLayout*, 3> LAYOUTS = {&SURFER7_BINARY, &SURFER6_BINARY,
                                                                   &SURFER6_ASCII};
    return LAYOUTS;
}

const SurferLayout* detect_layout(const std::string& source_path) {
    const platform::UniqueFile stream = platform::open_read_stream(source_path, "rb");
    if (!stream) {
        return nullptr;
    }
    std::array<unsigned char, 12> first{};
    const std::size_t got = std::fread(first.data(), 1, first.size(), stream.get());
    const std::span<const unsigned char> bytes(first.data(), got);
    for (const SurferLayout* layout : surfer_layouts()) {
        if (layout->recognise(bytes)) {
            return layout;
        }
    }
    return nullptr;
}

GridStatus open_grid(const SurferLayout& layout, const std::string& source_path, GridSource& source,
                     GrdInfo& info) {
    source.path = source_path;
    source.stream = platform::open_read_stream(source_path, layout.open_mode);
    if (!source.stream || layout.read_header(source, info) != GridStatus::ok) {
        return GridStatus::cannot_read_header;
    }
    // Damaged files can hold negative counts; no grid has them.
    if (info.rows < 0 || info.columns < 0) {
        return GridStatus::cannot_read_header;
    }
    return GridStatus::ok;
}

namespace {

// Nodes [first, first + count) from the stream, which stands at node
// `first`, into their cells.
template <typename Node>
bool read_node_range(std::FILE* stream, std::size_t first, std::size_t count, float* cells,
                     const NodeToCell& to_cell) {
    constexpr std::size_t BLOCK_BYTES = std::size_t{1} << 20;
    const std::size_t block = std::min(count, BLOCK_BYTES / sizeof(Node));
    const auto nodes = std::make_unique_for_overwrite<Node[]>(block);
    for (std::size_t done = 0; done < count;) {
        const std::size_t part = std::min(block, count - done);
        if (std::fread(nodes.get(), sizeof(Node), part, stream) != part) {
            return false;
        }
        if constexpr (std::endian::native == std::endian::big) {
            for (std::size_t i = 0; i < part; ++i) {
                nodes[i] = dtm::load_le<Node>(&nodes[i]);
            }
        }
        to_cell.convert(nodes.get(), part, cells + first + done);
        done += part;
    }
    return true;
}

template <typename Node>
GridStatus read_nodes_in_halves(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell) {
    std::FILE* const stream = source.stream.get();
    float* const cells = grid.cells.get();
    const std::size_t total = grid.size();
    const auto start = platform::tell(stream);
    std::size_t half = total / 2;
    platform::UniqueFile second_stream;
    if (total * sizeof(Node) < source.split_from_bytes || !start) {
        half = total;
    } else {
        second_stream = platform::open_read_stream(source.path, "rb");
        if (!second_stream ||
            !platform::seek(second_stream.get(), *start + std::uint64_t{half} * sizeof(Node))) {
            half = total;
        }
    }
    bool second_read = true;
    std::thread second;
    if (half < total) {
        second = std::thread([&] {
            try {
                second_read =
                    read_node_range<Node>(second_stream.get(), half, total - half, cells, to_cell);
            } catch (...) {
                second_read = false;
            }
        });
    }
    const bool first_read = read_node_range<Node>(stream, 0, half, cells, to_cell);
    if (second.joinable()) {
        second.join();
    }
    return first_read && second_read ? GridStatus::ok : GridStatus::cannot_read_data;
}

} // namespace

GridStatus read_binary_nodes(GridSource& source, GrdGrid& grid, const NodeToCell& to_cell,
                             std::size_t node_bytes) {
    return node_bytes == sizeof(float) ? read_nodes_in_halves<float>(source, grid, to_cell)
                                       : read_nodes_in_halves<double>(source, grid, to_cell);
}

bool source_holds_grid(const SurferLayout& layout, const GrdInfo& info, const GridSource& source) {
    const auto size = platform::regular_file_size(source.stream.get());
    const auto position = source.position();
    if (!size || !position) {
        return true;
    }
    const auto nodes =
        static_cast<std::uint64_t>(info.rows) * static_cast<std::uint64_t>(info.columns);
    const std::uint64_t left = *size > *position ? *size - *position : 0;
    return nodes <= left / layout.node_bytes;
}

} // namespace briskel
