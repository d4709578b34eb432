#include <gtest/gtest.h>

#include <bit>
#include <sys/stat.h>

#include "tests/support/test_files.hpp"

using namespace dtm;

TEST(DtmWriter, RowsArePlacedIntoColumnsFlippedAndAtTheirOffset) {
    // A 3-row, 4-column grid; a block of two rows of three cells (a stride
    // of four) placed at source row 1, column 1.
    const int block[] = {1, 2, 3, 0, 4, 5, 6, 0};
    const std::vector<std::pair<RowOrder, std::vector<int>>> cases = {
        {{}, {0, 0, 0, 0, 1, 4, 0, 2, 5, 0, 3, 6}},
        {{.north_first = true}, {0, 0, 0, 4, 1, 0, 5, 2, 0, 6, 3, 0}},
        {{.east_first = true}, {0, 3, 6, 0, 2, 5, 0, 1, 4, 0, 0, 0}},
        {{true, true}, {6, 3, 0, 5, 2, 0, 4, 1, 0, 0, 0, 0}}};
    for (const auto& [order, expected] : cases) {
        std::vector<int> grid(12, 0);
        place_rows(grid.data(), 3, 4, block, 2, 3, 4, 1, 1, order);
        EXPECT_EQ(grid, expected) << order.north_first << order.east_first;
    }
}
