// Surfer 7 tagged binary grids on arbitrary bytes.
#include "fuzz/grid_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz_grid_layout(GRD_V7_BINARY, data, size);
}
