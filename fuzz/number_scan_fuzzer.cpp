// The hand-made number scanners against the C library's formatted input on
// arbitrary bytes: the first byte picks the format, the rest is the text.
// Any difference in status, value or position is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/support/scan_comparison.hpp"

using testing_support::ScanKind;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    static constexpr ScanKind KINDS[] = {ScanKind::Integer, ScanKind::SixDigitInteger,
                                         ScanKind::Double, ScanKind::DoubleThenSpace,
                                         ScanKind::Float};
    const ScanKind kind = KINDS[data[0] % 5];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string difference = testing_support::compare_scans(text, kind);
    if (!difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        __builtin_trap();
    }
    return 0;
}
