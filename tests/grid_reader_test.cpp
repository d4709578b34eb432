#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "grid_import/dtm_output.hpp"
#include "grid_import/grid_command_line.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/grid_header.hpp"
#include "grid_import/surfer7_reader.hpp"
#include "grid_import/surfer_layout.hpp"
#include "platform/platform.hpp"
#include "tests/support/grid_builder.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;
using namespace briskel;
using testing_support::StringSink;
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

TEST(BriskelOptions, ZoneReadsLikeAtoiWithin32Bits) {
    EXPECT_EQ(read_zone_number("70000"), 70000);
    EXPECT_EQ(read_zone_number("  -3x"), -3);
    EXPECT_EQ(read_zone_number("abc"), 0);
    EXPECT_EQ(read_zone_number(""), 0);
    EXPECT_EQ(read_zone_number("99999999999"), 2147483647);
    EXPECT_EQ(read_zone_number("-99999999999"), -2147483647 - 1);
}

TEST(DiskSpace, EstimateCountsSixBytesAFloatCellIn64Bits) {
    EXPECT_EQ(estimated_cell_bytes(DTM_FLOAT32), 6);
    EXPECT_EQ(estimated_cell_bytes(DTM_INT16), 2);
    EXPECT_EQ(estimated_cell_bytes(9), 1);
    DtmHeader header;
    header.data_type = DTM_FLOAT32;
    header.row_count = 1 << 30;
    header.column_count = 1 << 30; // 2^60 cells: no volume holds them
    EXPECT_FALSE(has_disk_space(header, "out.dtm"));
    header.row_count = 3;
    header.column_count = 4;
    EXPECT_TRUE(has_disk_space(header, "out.dtm"));
    EXPECT_TRUE(has_disk_space(header, "no/such/folder/out.dtm"));
}

// Whatever the grid's shape, the cells come out column by column, each from
// the south row, whichever way the writer gathers them.
TEST(DtmCells, EveryShapeGivesTheColumnsInOrder) {
    const std::vector<std::pair<std::int32_t, std::int32_t>> shapes = {
        {1, 1}, {7, 130}, {20000, 70}, {600000, 3}, {(1 << 20) + 5, 2}};
    for (const auto& [rows, columns] : shapes) {
        GrdInfo info;
        info.rows = rows;
        info.columns = columns;
        GrdGrid grid;
        ASSERT_TRUE(allocate_grid(info, grid));
        for (std::size_t i = 0; i < grid.size(); ++i) {
            grid.cells[i] = i % 97 == 5 ? std::numeric_limits<float>::quiet_NaN()
                                        : static_cast<float>(i) * 0.37f - 1000.0f;
        }
        DtmHeader header;
        header.data_type = DTM_FLOAT32;
        DtmWriter writer(header);
        StringSink sink;
        ASSERT_EQ(writer.start(sink), WriteStatus::ok);
        ASSERT_EQ(write_dtm_cells(grid, writer), WriteStatus::ok);
        ASSERT_EQ(writer.finish(), WriteStatus::ok);
        ASSERT_EQ(sink.bytes().size(), DTM_DATA_OFFSET + 4 * grid.size());
        std::vector<float> cells(grid.size());
        std::memcpy(cells.data(), sink.bytes().data() + DTM_DATA_OFFSET, 4 * cells.size());
        std::size_t wrong = 0;
        std::size_t k = 0;
        for (std::int32_t c = 0; c < columns; ++c) {
            for (std::int32_t r = 0; r < rows; ++r, ++k) {
                wrong += std::bit_cast<std::uint32_t>(cells[k]) !=
                         std::bit_cast<std::uint32_t>(grid.cell(r, c));
            }
        }
        EXPECT_EQ(wrong, 0u) << rows << " x " << columns;
    }
}

// Binary nodes land in their columns whatever the grid's shape: rows longer
// than a block, blocks that end inside the grid, halves read at once or
// not; a grid one node short is refused either way.
TEST(DtmCells, BinaryNodesLandInTheirColumnsInEveryShape) {
    const std::vector<std::pair<std::int32_t, std::int32_t>> shapes = {
        {1, 1}, {2, 140000}, {70001, 2}, {33, 4001}, {3, 17}};
    TempDir dir;
    for (const auto& [rows, columns] : shapes) {
        testing_support::TestGrid test_grid;
        test_grid.rows = rows;
        test_grid.columns = columns;
        test_grid.nodes.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
        for (std::size_t i = 0; i < test_grid.nodes.size(); ++i) {
            test_grid.nodes[i] =
                i % 89 == 3 ? test_grid.blank : static_cast<double>(i) * 0.37 - 5e3;
        }
        const std::string bytes = testing_support::dsrb(test_grid);
        const NodeToCell to_cell{test_grid.blank, 0.3048};
        for (const bool short_by_one : {false, true}) {
            write_file(dir.file("g.grd"), bytes.substr(0, bytes.size() - (short_by_one ? 8 : 0)));
            for (const std::uint64_t split_from : {std::uint64_t{0}, UINT64_MAX}) {
                GridSource source;
                source.split_from_bytes = split_from;
                GrdInfo info;
                GrdGrid grid;
                ASSERT_EQ(open_grid(SURFER7_BINARY, dir.file("g.grd"), source, info),
                          GridStatus::ok);
                ASSERT_TRUE(allocate_grid(info, grid));
                const GridStatus status = SURFER7_BINARY.read_nodes(source, grid, to_cell);
                EXPECT_EQ(status, short_by_one ? GridStatus::cannot_read_data : GridStatus::ok)
                    << rows << " x " << columns;
                std::size_t wrong = 0;
                for (std::size_t i = 0; status == GridStatus::ok && i < grid.size(); ++i) {
                    wrong += std::bit_cast<std::uint32_t>(grid.node_cell(i)) !=
                             std::bit_cast<std::uint32_t>(to_cell(test_grid.nodes[i]));
                }
                EXPECT_EQ(wrong, 0u) << rows << " x " << columns << ", split from " << split_from;
            }
        }
    }
}

// Nodes become cells two at a time exactly as one at a time: blanks, values
// past the float range, NaN and ordinary ones, from float64 and float32.
TEST(DtmCells, NodesBecomeCellsTwoAtATimeAsOneAtATime) {
    const NodeToCell to_cell{1e300, 0.3048};
    const std::vector<double> doubles = {
        2e300, 1.2e39,   -1.2e39, 3.4028235e38 / 0.3048, std::numeric_limits<double>::quiet_NaN(),
        1e300, -1000.25, 0.37};
    const std::vector<float> floats = {3.4e38f, -3.4e38f, std::numeric_limits<float>::quiet_NaN(),
                                       7.5f, -0.0f};
    for (std::size_t count = 1; count <= doubles.size(); ++count) {
        std::vector<float> cells(count);
        to_cell.convert(doubles.data(), count, cells.data());
        for (std::size_t i = 0; i < count; ++i) {
            const float expected =
                doubles[i] >= 1e300 ? -32767.0f : to_float32(doubles[i] * 0.3048);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(cells[i]),
                      std::bit_cast<std::uint32_t>(expected))
                << "double node " << i << " of " << count;
        }
    }
    std::vector<float> cells(floats.size());
    to_cell.convert(floats.data(), floats.size(), cells.data());
    for (std::size_t i = 0; i < floats.size(); ++i) {
        const float expected = to_float32(static_cast<double>(floats[i]) * 0.3048);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(cells[i]), std::bit_cast<std::uint32_t>(expected))
            << "float node " << i;
    }
}
