// Damaged and hostile Surfer grids, family by family: each run ends in its
// own error line with no DTM left, or in a complete conversion, and never
// needs memory in proportion to the counts a file claims.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "dtmfile/dtm_reader.hpp"
#include "dtmfile_io/dtm_file_reader.hpp"
#include "tests/grid_import/briskel_run.hpp"

using namespace briskel_test;

namespace {

const std::string NO_HEADER = "Could not read source grid information";
const std::string NO_DATA = "Could not read source grid data";
const std::string NO_DISK = "Not enough disk space for destination file";

constexpr long MEMORY_BOUND_KB = 100 * 1024;
constexpr std::int32_t INT32_MAX_ = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t INT32_MIN_ = std::numeric_limits<std::int32_t>::min();

TestGrid with_counts(std::int32_t rows, std::int32_t columns) {
    TestGrid grid;
    grid.rows = rows;
    grid.columns = columns;
    return grid;
}

std::string replaced(std::string bytes, std::size_t offset, const std::string& text) {
    return bytes.replace(offset, text.size(), text);
}

struct Case {
    std::string what;
    std::string grid;
    // Accepted error texts; none: converted. A grid that claims more nodes
    // than the file holds may meet the free-space check first on a small disk.
    std::vector<std::string> errors;
};

void check(const Case& c) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    write_file(dir.file("g.grd"), c.grid);
    const RunResult run = briskel(dir, {"g.grd", "g.dtm", "f", "f", "/Q"});
    EXPECT_LT(run.peak_memory_kb, MEMORY_BOUND_KB);
    if (!c.errors.empty()) {
        EXPECT_EQ(run.exit_status, 1);
        bool known = false;
        for (const std::string& error : c.errors) {
            known = known || run.out == error_line(error);
        }
        EXPECT_TRUE(known) << run.out;
        EXPECT_FALSE(file_exists(dir.file("g.dtm")));
        return;
    }
    EXPECT_EQ(run.exit_status, 0) << run.out;
    // A complete DTM file: its length agrees with its header's counts.
    DtmHeader header;
    DtmFileFacts facts;
    const DtmReadStatus status = read_dtm_header(dir.file("g.dtm"), header, facts);
    EXPECT_EQ(status, DtmReadStatus::ok)
        << dtm_read_message(status, header, facts, dir.file("g.dtm"));
    EXPECT_EQ(header.data_type, DTM_FLOAT32);
}

TEST(BriskelHostile, ExtremeCountsAndSizes) {
    const TestGrid g;
    const std::vector<Case> cases = {
        {"no rows and 2^30 columns", dsrb(with_counts(0, 1 << 30)), {}},
        {"2^30 rows in 200 bytes", dsrb(with_counts(1 << 30, 1)), {NO_DATA, NO_DISK}},
        {"2^30 rows and columns", dsrb(with_counts(1 << 30, 1 << 30)), {NO_DISK}},
        {"2147483647 columns", dsrb(with_counts(1, INT32_MAX_)), {NO_DATA, NO_DISK}},
        {"-1 rows", dsrb(with_counts(-1, 4)), {NO_HEADER}},
        {"32767 x 32767 Surfer 6 binary", dsbb(with_counts(32767, 32767)), {NO_DATA, NO_DISK}},
        {"-1 columns Surfer 6 binary", dsbb(with_counts(3, -1)), {NO_HEADER}},
        {"8192 x 8192 Surfer 6 ASCII", dsaa(with_counts(8192, 8192)), {NO_DATA, NO_DISK}},
        {"2147483647 x 2 Surfer 6 ASCII", dsaa(with_counts(INT32_MAX_, 2)), {NO_DATA, NO_DISK}},
        {"DSRB section of size -1", replaced(dsrb(g), 4, le(std::int32_t{-1})), {NO_HEADER}},
        {"DSRB section past the end", replaced(dsrb(g), 4, le(INT32_MAX_)), {NO_HEADER}},
        {"section of size -2^31 before GRID",
         dsrb(g, section("XTRA", "", INT32_MIN_)),
         {NO_HEADER}},
        {"section past the end before GRID", dsrb(g, section("XTRA", "", INT32_MAX_)), {NO_HEADER}},
        {"section of size -1 before DATA", dsrb(g, {}, section("XTRA", "", -1)), {NO_DATA}},
        {"section past the end before DATA",
         dsrb(g, {}, section("XTRA", "", INT32_MAX_)),
         {NO_DATA}},
        {"GRID section of size 0", replaced(dsrb(g), 16, le(std::int32_t{0})), {}},
        {"DATA section of size -1", replaced(dsrb(g), 12 + 80, "DATA" + le(std::int32_t{-1})), {}},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST(BriskelHostile, WordsWhereNumbersBelong) {
    const TestGrid g;
    const std::string header = dsaa_header(g);
    const std::vector<Case> cases = {
        {"column count", replaced(dsaa(g), 5, "x"), {NO_HEADER}},
        {"row count", "DSAA\n4 three\n1000 1075\n2000 2100\n-5 20\n1 2 3", {NO_HEADER}},
        {"X limit", replaced(dsaa(g), 9, "east"), {NO_HEADER}},
        {"maximum Z", header.substr(0, header.size() - 3) + "top\n", {NO_HEADER}},
        {"first node", replaced(dsaa(g), header.size(), "?"), {NO_DATA}},
        {"a node of two signs", replaced(dsaa(g), header.size(), "--"), {NO_DATA}},
        {"binary bytes among the nodes",
         replaced(dsaa(g), header.size() + 10, "\x01\x02"),
         {NO_DATA}},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

// The header of a DTM file as a briskel test reads it back.
struct DtmFields {
    double x_origin, y_origin, x_spacing, y_spacing;
    std::vector<float> cells;
};

DtmFields fields_of(const std::string& dtm) {
    DtmFields f{
        le_float64(dtm, 86), le_float64(dtm, 94), le_float64(dtm, 126), le_float64(dtm, 134), {}};
    for (std::size_t offset = 200; offset + 4 <= dtm.size(); offset += 4) {
        f.cells.push_back(le_float32(dtm, offset));
    }
    return f;
}

TEST(BriskelHostile, NotANumberAndInfinityAreCarriedAsTheyStand) {
    const TestGrid g;
    const std::string header = dsaa_header(g);
    const std::string nodes = dsaa(g).substr(header.size());

    // Surfer 6 ASCII: limits and nodes read as NaN and infinity.
    const std::string ascii =
        "DSAA\n4 3\nnan 1075\n2000 inf\n-5 20\n-2.5 0 1.5 3 nan 5 inf 7 8 -inf 10 12.5\n";
    DtmFields f = fields_of(convert(ascii, {"f", "f"}));
    EXPECT_TRUE(std::isnan(f.x_origin));
    EXPECT_TRUE(std::isnan(f.x_spacing));
    EXPECT_EQ(f.y_origin, 2000.0);
    EXPECT_EQ(f.y_spacing, HUGE_VAL);
    ASSERT_EQ(f.cells.size(), 12u);
    EXPECT_TRUE(std::isnan(f.cells[1])); // row 1, column 0
    EXPECT_EQ(f.cells[7], -32767.0f);    // row 1, column 2: infinity is above the blank value
    EXPECT_EQ(f.cells[5], -HUGE_VALF);   // row 2, column 1
    EXPECT_EQ(f.cells[0], -2.5f);

    // Surfer 7: a NaN spacing is kept; a NaN blank value blanks nothing.
    TestGrid v7 = g;
    v7.x_max = std::numeric_limits<double>::quiet_NaN();
    v7.blank = std::numeric_limits<double>::quiet_NaN();
    v7.nodes[0] = SURFER6_BLANK;
    f = fields_of(convert(dsrb(v7), {"f", "f"}));
    EXPECT_TRUE(std::isnan(f.x_spacing));
    EXPECT_EQ(f.cells[0], static_cast<float>(SURFER6_BLANK));

    // Surfer 6 binary: an infinite limit makes infinite and NaN spacings.
    TestGrid v6 = g;
    v6.x_min = -HUGE_VAL;
    v6.y_max = HUGE_VAL;
    v6.y_min = HUGE_VAL;
    f = fields_of(convert(dsbb(v6), {"f", "f"}));
    EXPECT_EQ(f.x_origin, -HUGE_VAL);
    EXPECT_EQ(f.x_spacing, HUGE_VAL);
    EXPECT_TRUE(std::isnan(f.y_spacing));
    EXPECT_EQ(f.cells.size(), 12u);
}

} // namespace
