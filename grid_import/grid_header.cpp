#include "grid_import/grid_header.hpp"

#include <bit>
#include <sys/types.h>

#include "grid_import/surfer_readers.hpp"

bool read_section_header(std::FILE* stream, GrdSectionHeader& section) {
    unsigned char bytes[8];
    if (std::fread(bytes, 1, sizeof bytes, stream) != sizeof bytes) {
        return false;
    }
    section.tag = load_le_int32(bytes);
    section.size = load_le_int32(bytes + 4);
    return true;
}

bool find_section(std::FILE* stream, std::int32_t tag, GrdSectionHeader& section) {
    for (;;) {
        const off_t start = ftello(stream);
        if (start < 0 || !read_section_header(stream, section)) {
            return false;
        }
        if (section.tag == tag) {
            return true;
        }
        // A negative size would send the walk back over what it has read,
        // round the same sections for ever: the walk only goes forward.
        if (section.size < 0 ||
            fseeko(stream, start + 8 + static_cast<off_t>(section.size), SEEK_SET) != 0) {
            return false;
        }
    }
}

int read_grid_header(GrdKind kind, std::FILE* stream, GrdInfo& info) {
    if (std::fseek(stream, 0, SEEK_SET) != 0) {
        return 0;
    }
    int result = 0;
    switch (kind) {
    case GRD_V7_BINARY:
        result = read_surfer7_header(stream, info);
        break;
    case GRD_V6_BINARY:
        result = read_surfer6_binary_header(stream, info);
        break;
    case GRD_V6_ASCII:
        result = read_surfer6_ascii_header(stream, info);
        break;
    default:
        return 0;
    }
    // Damaged files can hold negative counts; no grid has them.
    if (info.rows < 0 || info.columns < 0) {
        return 0;
    }
    return result;
}
