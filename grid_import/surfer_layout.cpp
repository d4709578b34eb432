#include "grid_import/surfer_layout.hpp"

#include <array>
#include <cstdio>

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
