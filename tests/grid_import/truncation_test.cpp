// Files cut at every byte: each reader must fail exactly where the cut
// takes away something it needs, and nowhere else.
#include <gtest/gtest.h>

#include "dem_import/dem_status.hpp"
#include "grid_import/conversion.hpp"
#include "grid_import/surfer_layout.hpp"
#include "tests/support/grid_builder.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace briskel;

namespace {

constexpr std::size_t TYPE_A_FIELDS_END = 864; // the last field read is the profile count

enum class Loaded { NoHeader, NoData, Whole };

Loaded convert_grid_file(const std::string& path) {
    GrdRunSettings settings;
    settings.source_path = path;
    StringSink dtm;
    MemoryReporter console;
    switch (convert_grid(settings, {dtm, console})) {
    case GridStatus::ok:
        return Loaded::Whole;
    case GridStatus::cannot_read_data:
        return Loaded::NoData;
    default:
        return Loaded::NoHeader; // too short to be recognised, or its header
    }
}

TEST(Truncation, SurferGridsNeedTheirWholeHeaderAndEveryNode) {
    const TestGrid g;
    const std::string ascii = dsaa(g);
    const std::string ascii_header = dsaa_header(g);
    struct Layout {
        const SurferLayout& layout;
        std::string bytes;
        std::size_t header_from; // the shortest cut that keeps the header
        std::size_t whole_from;  // the shortest cut that keeps every node
    };
    const std::vector<Layout> layouts = {
        // DSRB section (12 bytes), GRID section header and body (8 + 72).
        {SURFER7_BINARY, dsrb(g), 12 + 8 + 72, dsrb(g).size()},
        // Tag, two 16-bit counts, six float64 limits.
        {SURFER6_BINARY, dsbb(g), 4 + 4 + 48, dsbb(g).size()},
        // A number cut short still reads as its first digits.
        {SURFER6_ASCII, ascii, last_number_readable_from(ascii_header),
         last_number_readable_from(ascii)},
    };
    TempDir dir;
    const std::string path = dir.file("cut.grd");
    for (const Layout& layout : layouts) {
        for (std::size_t cut = 0; cut <= layout.bytes.size(); ++cut) {
            write_file(path, layout.bytes.substr(0, cut));
            const Loaded expected = cut < layout.header_from  ? Loaded::NoHeader
                                    : cut < layout.whole_from ? Loaded::NoData
                                                              : Loaded::Whole;
            ASSERT_EQ(convert_grid_file(path), expected) << layout.layout.name << " cut at " << cut;
        }
    }
}

} // namespace
