#include "grid_import/grid_detect.hpp"

#include <cstring>

#include "cli/platform.hpp"
#include "grid_import/grid_header.hpp"

GrdKind detect_grid_kind(const std::string& source_path) {
    platform::UniqueFile stream = platform::open_read_stream(source_path, "rb");
    if (!stream) {
        return GRD_NOT_SURFER;
    }
    GrdSectionHeader section;
    if (!read_section_header(stream.get(), section)) {
        return GRD_NOT_SURFER;
    }
    if (section.tag == GRD_TAG_DSRB) {
        unsigned char version[4];
        if (std::fread(version, 1, sizeof version, stream.get()) != sizeof version) {
            return GRD_NOT_SURFER;
        }
        return load_le_int32(version) == 1 ? GRD_V7_BINARY : GRD_NOT_SURFER;
    }
    if (std::fseek(stream.get(), 0, SEEK_SET) != 0) {
        return GRD_NOT_SURFER;
    }
    char tag[4];
    if (std::fread(tag, 1, sizeof tag, stream.get()) != sizeof tag) {
        return GRD_NOT_SURFER;
    }
    if (std::memcmp(tag, "DSAA", 4) == 0) {
        return GRD_V6_ASCII;
    }
    if (std::memcmp(tag, "DSBB", 4) == 0) {
        return GRD_V6_BINARY;
    }
    return GRD_NOT_SURFER;
}
