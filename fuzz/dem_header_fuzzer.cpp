// The Type A record reader on arbitrary bytes, with the description and the
// ".HDR" report made from whatever it accepted.
#include <cstddef>
#include <cstdint>

#include "dem_import/dem_header.hpp"
#include "textscan/text_reader.hpp"

using namespace taverlin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    textscan::TextReader in(reinterpret_cast<const char*>(data), size);
    DemHeader header;
    if (read_dem_header(in, header) == DemStatus::ok) {
        const std::string description = build_dem_description(header);
        const std::string report = format_header_report(header);
        if (description.size() > 64 || report.empty()) {
            __builtin_trap();
        }
    }
    return 0;
}
