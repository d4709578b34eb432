#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "grid_import/surfer_layout.hpp"
#include "tests/support/grid_builder.hpp"
#include "tests/support/test_files.hpp"

using namespace briskel;
using testing_support::TempDir;
using testing_support::write_file;

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
