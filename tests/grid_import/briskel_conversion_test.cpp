// Conversions: DTM bytes from every Surfer layout, blank nodes, degenerate
// grids and the sample grids.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <iterator>
#include <limits>
#include <sstream>

#include "dtmfile/dtm_reader.hpp"
#include "dtmfile_io/dtm_file_reader.hpp"
#include "tests/grid_import/briskel_run.hpp"

using namespace briskel_test;

namespace {

std::string cell_bits(const std::string& dtm, std::size_t index) {
    return dtm.substr(200 + 4 * index, 4);
}

// Surfer 7 with a GRID section declared longer than its 72 bytes of
// values, `tail` filling the rest.
std::string dsrb_with_long_grid(const TestGrid& grid, const std::string& tail) {
    std::string file = dsrb(grid);
    const std::size_t body = file.find("GRID") + 8;
    file.insert(body + 72, tail);
    return file.replace(body - 4, 4, le(static_cast<std::int32_t>(72 + tail.size())));
}

TEST(BriskelConversion, EveryLayoutGivesTheDtmColumnByColumn) {
    TestGrid grid;
    grid.rotation = 12.5; // kept only by Surfer 7, never scaled
    grid.blank = 1000;
    ExpectedDtm rotated;
    rotated.rotation = 12.5;
    const std::vector<std::pair<std::string, ExpectedDtm>> cases = {
        {dsaa(grid), ExpectedDtm{}},
        {dsaa(grid) + "99 98 zz\n", ExpectedDtm{}}, // values past the grid are not read
        {dsbb(grid), ExpectedDtm{}},
        {dsrb(grid), rotated},
        {dsrb(grid, section("XTRA", "12345")), rotated},
        {dsrb(grid, {}, section("XTRA", std::string(17, 'x')) + section("ZERO", "")), rotated},
        // The walk to DATA goes on after the whole GRID section, not inside it.
        {dsrb_with_long_grid(grid, section("DATA", std::string(96, '\x7f'))), rotated},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(convert(cases[i].first, {"f", "f", "/Q"}), dtm_bytes(cases[i].second))
            << "case " << i;
    }
}

TEST(BriskelConversion, BlankNodesBecomeMinus32767) {
    const std::string blank("\x00\xfe\xff\xc6", 4);
    const auto scaled_bits = [](double v) { return le(static_cast<float>(v * 0.3048)); };
    const std::vector<std::string> to_meters = {"f", "f", "/EM"};
    TestGrid grid;
    grid.rows = 1;
    grid.y_max = grid.y_min;

    // Surfer 7 has its own blank value, compared before scaling.
    grid.blank = 100;
    const double below = std::nextafter(100.0, 0.0);
    grid.nodes = {100, below, 150, std::numeric_limits<double>::quiet_NaN()};
    std::string dtm = convert(dsrb(grid), to_meters);
    EXPECT_EQ(cell_bits(dtm, 0), blank);
    EXPECT_EQ(cell_bits(dtm, 1), scaled_bits(below));
    EXPECT_EQ(cell_bits(dtm, 2), blank);
    EXPECT_TRUE(std::isnan(le_float32(dtm, 212)));

    // Surfer 6 binary: float32 7EFFFFEE is blank, the float32 just below it is not.
    const double below6 = std::bit_cast<float>(0x7EFFFFEDu);
    grid.nodes = {SURFER6_BLANK, below6, 3e38, -1e38};
    dtm = convert(dsbb(grid), to_meters);
    EXPECT_EQ(cell_bits(dtm, 0), blank);
    EXPECT_EQ(cell_bits(dtm, 1), scaled_bits(below6));
    EXPECT_EQ(cell_bits(dtm, 2), blank);
    EXPECT_EQ(cell_bits(dtm, 3), scaled_bits(-1e38));

    // Surfer 6 ASCII: 1.70141E+38 as written, and anything above, is blank.
    dtm = convert(dsaa_header(grid) + "1.70141E+38 1.7014099e38 1.7014100091878280e+38 2e38\n",
                  to_meters);
    EXPECT_EQ(cell_bits(dtm, 0), blank);
    EXPECT_EQ(cell_bits(dtm, 1), scaled_bits(1.7014099e38));
    EXPECT_EQ(cell_bits(dtm, 2), blank);
    EXPECT_EQ(cell_bits(dtm, 3), blank);
}

TEST(BriskelConversion, SingleColumnOrRowGivesInfiniteOrNaNSpacing) {
    TestGrid grid;
    grid.columns = 1;
    grid.rows = 2;
    grid.nodes = {1, 2};
    grid.x_max = 1100;
    grid.y_max = grid.y_min;
    for (const std::string& source : {dsaa(grid), dsbb(grid)}) {
        const std::string dtm = convert(source, {"m", "m", "/Q"});
        EXPECT_EQ(le_float64(dtm, 126), std::numeric_limits<double>::infinity());
        EXPECT_EQ(le_float64(dtm, 134), 0.0);
        EXPECT_EQ(dtm.size(), 208u);
    }
    grid.columns = 2;
    grid.rows = 1;
    grid.x_max = 900;
    for (const std::string& source : {dsaa(grid), dsbb(grid)}) {
        const std::string dtm = convert(source, {"f", "f", "/Q"});
        EXPECT_EQ(le_float64(dtm, 126), -100.0);
        EXPECT_TRUE(std::isnan(le_float64(dtm, 134)));
    }
}

TEST(BriskelConversion, AsciiTextIsDecimalDownToItsTightestForm) {
    TempDir dir;
    std::string text = "DSAA 010 0016 0 9 0 15 1 160";
    for (int i = 1; i <= 160; ++i) {
        text += ' ';
        text += std::to_string(i);
    }
    write_file(dir.file("g.grd"), text);
    RunResult run = briskel(dir, {"g.grd", "g.dtm", "f", "f"});
    EXPECT_EQ(run.out, BANNER + summary("g.grd", "g.dtm", 16, 10) + "Done!\n");
    DtmFile dtm;
    ASSERT_EQ(read_dtm_file(dir.file("g.dtm"), dtm), DtmReadStatus::ok);
    EXPECT_EQ(dtm.header.column_count, 10);
    EXPECT_EQ(dtm.header.row_count, 16);
    EXPECT_EQ(dtm.cell(0, 1), 11.0);
    EXPECT_EQ(dtm.cell(1, 0), 2.0);
    // No hexadecimal: the count is 0 and "x10" is no X limit.
    write_file(dir.file("g.grd"), "DSAA 8 0x10 0 7 0 15 1 128 1 2 3");
    run = briskel(dir, {"g.grd", "h.dtm", "f", "f", "/Q"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out, error_line("Could not read source grid information"));
    // One-digit nodes one blank apart, nothing after the last.
    write_file(dir.file("t.grd"), "DSAA 2 2 0 1 0 1 0 9 1 2 3 4");
    run = briskel(dir, {"t.grd", "t.dtm", "f", "f", "/Q"});
    EXPECT_EQ(run.exit_status, 0);
    ASSERT_EQ(read_dtm_file(dir.file("t.dtm"), dtm), DtmReadStatus::ok);
    EXPECT_EQ(dtm.cells, (std::vector<double>{1, 3, 2, 4}));
}

TEST(BriskelConversion, GridWithoutRowsWritesOnlyTheHeader) {
    // Moving to the first cell does not lengthen the file: 160 bytes.
    TestGrid grid;
    grid.rows = 0;
    grid.nodes.clear();
    const std::string dtm = convert(dsrb(grid), {"f", "f", "/Q"});
    ASSERT_EQ(dtm.size(), 160u);
    EXPECT_EQ(le_int32(dtm, 146), 0);
}

// The sample grid in its three layouts: 199 columns, 150 rows, identical cells.
TEST(BriskelConversion, SampleGridsGiveTheSameCells) {
    std::vector<std::string> cells;
    for (const char* layout : {"dsaa", "dsbb", "dsrb"}) {
        const std::string source =
            read_file(std::string(SAMPLES_DIR) + "/topobathy_utm10_" + layout + ".grd");
        const std::string dtm = convert(source, {"f", "f", "/Q"});
        ASSERT_EQ(dtm.size(), 200u + 4 * 199 * 150) << layout;
        EXPECT_EQ(le_int32(dtm, 142), 199);
        EXPECT_EQ(le_int32(dtm, 146), 150);
        EXPECT_EQ(le_float64(dtm, 86), 277500.0);
        EXPECT_EQ(le_float64(dtm, 126), 1500.0);
        cells.push_back(dtm.substr(200));
    }
    EXPECT_TRUE(cells[0] == cells[1] && cells[1] == cells[2]);

    // Each cell against its node in the ASCII text: row r, column c at 4 * (c * 150 + r).
    std::istringstream text(read_file(std::string(SAMPLES_DIR) + "/topobathy_utm10_dsaa.grd"));
    std::string word;
    for (int i = 0; i < 9; ++i) { // the header words
        text >> word;
    }
    const std::vector<double> nodes(std::istream_iterator<double>(text), {});
    ASSERT_EQ(nodes.size(), 199u * 150);
    int blanks = 0;
    int wrong = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const bool blank = nodes[i] >= 1.70141e38;
        blanks += blank;
        const float cell = le_float32(cells[0], 4 * (i % 199 * 150 + i / 199));
        wrong += cell != (blank ? -32767.0f : static_cast<float>(nodes[i]));
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(blanks, 1000);
    EXPECT_LT(blanks, 20000);
}

} // namespace
