#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "grid_import/surfer7_reader.hpp"
#include "grid_import/surfer_layout.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;
using namespace briskel;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

platform::UniqueFile stream_of(const std::string& bytes) {
    platform::UniqueFile file(std::tmpfile());
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    return file;
}

std::string section(const char* tag, std::int32_t size, const std::string& body = {}) {
    std::string bytes(tag, 4);
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<char>(static_cast<std::uint32_t>(size) >> (8 * i)));
    }
    return bytes + body;
}

const std::string VERSION_1("\1\0\0\0", 4);

} // namespace

TEST(SurferSections, WalkSkipsSectionsBySizeAndOnlyForward) {
    auto file =
        stream_of(section("DSRB", 4, VERSION_1) + section("XTRA", 3, "abc") + section("GRID", 72));
    GrdSectionHeader found;
    EXPECT_TRUE(find_section(file.get(), GRD_TAG_GRID, found));
    EXPECT_EQ(std::ftell(file.get()), 12 + 11 + 8);
    EXPECT_EQ(found.size, 72);

    // -8 would read the same section header again, for ever.
    auto loop = stream_of(section("DSRB", 4, VERSION_1) + section("XTRA", -8) + "padding");
    EXPECT_FALSE(find_section(loop.get(), GRD_TAG_GRID, found));
    auto past_end = stream_of(section("DSRB", 1000));
    EXPECT_FALSE(find_section(past_end.get(), GRD_TAG_GRID, found));
}

TEST(SurferHeaders, BlankValueAndTagsAreTheFileBytes) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(GRD_V6_BLANK_VALUE), 0x47DFFFFDC0000000u);
    EXPECT_EQ(static_cast<double>(std::bit_cast<float>(0x7EFFFFEEu)), GRD_V6_BLANK_VALUE);
    const auto briskel_void = static_cast<float>(convention_of(Writer::briskel).void_value);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(briskel_void), 0xC6FFFE00u);
    EXPECT_EQ(GRD_TAG_DATA, 0x41544144);
}

TEST(SurferHeaders, AsciiCountsAreDecimal) {
    TempDir dir;
    const auto header_of = [&](const std::string& text, GrdInfo& info) {
        write_file(dir.file("g.grd"), text);
        GridSource source;
        return open_grid(SURFER6_ASCII, dir.file("g.grd"), source, info);
    };
    GrdInfo info;
    ASSERT_EQ(header_of("DSAA\n08 0016\n0 7\n10 40\n-1 1\n", info), GridStatus::ok);
    EXPECT_EQ(info.columns, 8);
    EXPECT_EQ(info.rows, 16);
    EXPECT_EQ(info.x_spacing, 1.0);
    EXPECT_EQ(info.y_spacing, 2.0);
    ASSERT_EQ(header_of("DSAA 1 1 5 5 0 3 0 1 ", info), GridStatus::ok);
    EXPECT_TRUE(std::isnan(info.x_spacing));
    EXPECT_TRUE(std::isinf(info.y_spacing));
    EXPECT_EQ(header_of("DSAA -3 2 0 1 0 1 0 1 ", info), GridStatus::cannot_read_header);
}

// The node text read in two halves at once gives what one pass gives: the
// same cells, or the same failure, wherever the halves meet.
TEST(SurferHeaders, AsciiNodesReadInTwoHalvesAsInOne) {
    TempDir dir;
    const auto read = [&](const std::string& text, std::uint64_t split_from,
                          std::vector<std::uint32_t>& bits) {
        write_file(dir.file("g.grd"), text);
        GridSource source;
        source.split_from_bytes = split_from;
        GrdInfo info;
        GrdGrid grid;
        if (open_grid(SURFER6_ASCII, dir.file("g.grd"), source, info) != GridStatus::ok ||
            !allocate_grid(info, grid)) {
            return GridStatus::cannot_read_header;
        }
        const GridStatus status = SURFER6_ASCII.read_nodes(source, grid, NodeToCell{1e38, 1.0});
        bits.clear();
        for (std::size_t i = 0; status == GridStatus::ok && i < grid.size(); ++i) {
            bits.push_back(std::bit_cast<std::uint32_t>(grid.cells[i]));
        }
        return status;
    };
    // Words that read as one number, as two ("1.5-2"), as a number cut
    // short ("1e"), or as none.
    const char* const WORDS[] = {"1",   "-2.5", "1.5-2", "1e", "3e+",
                                 "nan", "inf",  "x",     "7z", "1e39"};
    const char* const SPACES[] = {" ", "  ", "\r\n", "\t", "\n\n"};
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t n) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % n;
    };
    for (int round = 0; round < 300; ++round) {
        const int columns = 1 + static_cast<int>(next(30));
        std::string text = "DSAA " + std::to_string(columns) + " 2 0 1 0 1 0 1\n";
        // Around the 2 x columns nodes the grid needs: a few short or over.
        const int words = std::max(0, 2 * columns + static_cast<int>(next(8)) - 3);
        for (int i = 0; i < words; ++i) {
            text += next(12) == 0 ? WORDS[next(10)] : std::to_string(next(1000));
            text += SPACES[next(5)];
        }
        std::vector<std::uint32_t> once;
        std::vector<std::uint32_t> halves;
        const GridStatus one_pass = read(text, UINT64_MAX, once);
        EXPECT_EQ(read(text, 0, halves), one_pass) << text;
        EXPECT_EQ(halves, once) << text;
    }
}
