// Surfer 6 ASCII grids on arbitrary bytes.
#include "fuzz/grid_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz_grid_layout(GRD_V6_ASCII, data, size);
}
