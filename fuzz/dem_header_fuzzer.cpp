// The Type A record reader on arbitrary bytes, with the description and the
// ".HDR" report made from whatever it accepted.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "dem_header.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0; // a stream over no bytes cannot be opened in memory
    }
    std::FILE* stream = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (stream == nullptr) {
        return 0;
    }
    DemHeader header;
    if (read_dem_header(stream, header) == 0) {
        const std::string description = build_dem_description(header);
        const std::string report = format_header_report(header);
        if (description.size() > 64 || report.empty()) {
            __builtin_trap();
        }
    }
    std::fclose(stream);
    return 0;
}
