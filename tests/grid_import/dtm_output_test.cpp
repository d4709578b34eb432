#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "grid_import/dtm_output.hpp"
#include "tests/support/test_files.hpp"

using namespace dtm;
using namespace briskel;
using testing_support::StringSink;

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
