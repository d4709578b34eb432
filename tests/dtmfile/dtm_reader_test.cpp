#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "dtmfile_io/dtm_file_reader.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace dtm;

namespace {

DtmHeader grid_header(std::int16_t data_type, std::int32_t columns, std::int32_t rows) {
    DtmHeader header;
    set_dtm_signature(header);
    set_dtm_description(header, "READ BACK");
    header.version = 3.0f;
    header.x_origin = 500000.25;
    header.y_spacing = 30.0;
    header.column_count = columns;
    header.row_count = rows;
    header.xy_units = 1;
    header.data_type = data_type;
    header.coord_system = 1;
    header.coord_zone = -7;
    return header;
}

struct Read {
    DtmReadStatus status;
    DtmFile file;
    std::string message;
};

Read read_bytes(const std::string& bytes) {
    TempDir dir;
    const std::string path = dir.file("t.dtm");
    write_file(path, bytes);
    Read result{};
    result.status = read_dtm_file(path, result.file);
    result.message =
        dtm_read_message(result.status, result.file.header, result.file.facts, "t.dtm");
    return result;
}

} // namespace

TEST(DtmReader, ReadsBackEveryCellTypeColumnByColumn) {
    // Two columns of three cells; cell (c, r) is the (c * 3 + r)-th value.
    const Read int16 = read_bytes(
        dtm_file<std::int16_t>(grid_header(DTM_INT16, 2, 3), {1, -1, 32767, -32768, 0, 7}));
    ASSERT_EQ(int16.status, DtmReadStatus::ok);
    EXPECT_EQ(int16.file.cell(0, 2), 32767);
    EXPECT_EQ(int16.file.cell(1, 0), -32768);
    EXPECT_EQ(int16.file.cell(1, 2), 7);
    EXPECT_EQ(int16.file.header.coord_zone, -7);
    EXPECT_EQ(int16.file.header.x_origin, 500000.25);

    const Read int32 = read_bytes(
        dtm_file<std::int32_t>(grid_header(DTM_INT32, 1, 2), {-2147483647 - 1, 2147483647}));
    ASSERT_EQ(int32.status, DtmReadStatus::ok);
    EXPECT_EQ(int32.file.cells, (std::vector<double>{-2147483648.0, 2147483647.0}));

    const Read float32 =
        read_bytes(dtm_file<float>(grid_header(DTM_FLOAT32, 1, 3), {-32767.0f, 0.1f, -INFINITY}));
    ASSERT_EQ(float32.status, DtmReadStatus::ok);
    EXPECT_EQ(float32.file.cells, (std::vector<double>{-32767.0, double{0.1f}, -INFINITY}));

    const Read float64 = read_bytes(dtm_file<double>(grid_header(DTM_FLOAT64, 2, 1), {0.1, NAN}));
    ASSERT_EQ(float64.status, DtmReadStatus::ok);
    EXPECT_EQ(float64.file.cells[0], 0.1);
    EXPECT_TRUE(std::isnan(float64.file.cells[1]));
}

TEST(DtmReader, GridWithoutCellsEndsAfterItsHeaderOrItsReservedBytes) {
    const std::string full = dtm_file<std::int16_t>(grid_header(DTM_INT16, 5, 0), {});
    EXPECT_EQ(read_bytes(full.substr(0, 160)).status, DtmReadStatus::ok);
    EXPECT_EQ(read_bytes(full).status, DtmReadStatus::ok);
    EXPECT_EQ(read_bytes(full + "x").status, DtmReadStatus::too_long);
}

TEST(DtmReader, EachFaultHasItsOwnStatusAndMessage) {
    const std::string good = dtm_file<std::int16_t>(grid_header(DTM_INT16, 2, 2), {1, 2, 3, 4});
    struct Case {
        std::string bytes;
        DtmReadStatus status;
        std::string message;
    };
    std::string other_signature = good;
    other_signature[6] = 'X';
    std::string unterminated_signature = good; // the signature's NUL belongs to it
    unterminated_signature[20] = ' ';
    std::string unknown_type = good;
    unknown_type[154] = 4;
    std::string negative_rows = good;
    negative_rows[149] = '\x80';
    // 2^31 - 1 columns and rows: far more than 64 bits of bytes.
    DtmHeader huge = grid_header(DTM_FLOAT64, 2147483647, 2147483647);
    const std::vector<Case> cases = {
        {"", DtmReadStatus::bad_signature,
         "Not a DTM file (it does not begin with \"VORDA-PC BINARY .DTM\"): t.dtm"},
        {other_signature, DtmReadStatus::bad_signature, ""},
        {unterminated_signature, DtmReadStatus::bad_signature, ""},
        {"VORDA-PC BINARY .DTM", DtmReadStatus::short_header,
         "DTM file ends inside its 160-byte header (20 bytes): t.dtm"},
        {good.substr(0, 159), DtmReadStatus::short_header, ""},
        {unknown_type, DtmReadStatus::bad_data_type, "Unknown cell type code 4 in DTM file: t.dtm"},
        {negative_rows, DtmReadStatus::bad_counts,
         "Negative grid size (2 columns, -2147483646 rows) in DTM file: t.dtm"},
        {good.substr(0, good.size() - 1), DtmReadStatus::too_short,
         "DTM file is 207 bytes long, 1 short of the 208 its header calls for: t.dtm"},
        {good.substr(0, 160), DtmReadStatus::too_short, ""},
        {good + std::string(3, '\0'), DtmReadStatus::too_long,
         "DTM file is 211 bytes long, 3 more than the 208 its header calls for: t.dtm"},
        {dtm_file<double>(huge, {}), DtmReadStatus::too_short,
         "DTM file is 200 bytes long, far short of the 2147483647 x 2147483647 cells its header "
         "calls for: t.dtm"},
    };
    for (const Case& c : cases) {
        const Read read = read_bytes(c.bytes);
        EXPECT_EQ(read.status, c.status) << c.bytes.size();
        EXPECT_TRUE(read.file.cells.empty());
        if (!c.message.empty()) {
            EXPECT_EQ(read.message, c.message);
        }
    }
    EXPECT_EQ(read_bytes(good).status, DtmReadStatus::ok);

    DtmFile file;
    EXPECT_EQ(read_dtm_file("/nonexistent/t.dtm", file), DtmReadStatus::cannot_open);
    TempDir dir;
    EXPECT_EQ(read_dtm_file(dir.path(), file), DtmReadStatus::cannot_open); // a directory
}

TEST(DtmReader, ReservedBytesAreReportedWhenNotZero) {
    std::string bytes = dtm_file<std::int16_t>(grid_header(DTM_INT16, 1, 1), {9});
    EXPECT_TRUE(read_bytes(bytes).file.facts.reserved_zero);
    bytes[199] = 1;
    const Read read = read_bytes(bytes);
    EXPECT_EQ(read.status, DtmReadStatus::ok);
    EXPECT_FALSE(read.file.facts.reserved_zero);
}

TEST(DtmReader, CellReaderDeliversAGridLargerThanItsBuffer) {
    // 600 000 int16 cells span more than one megabyte of reads.
    constexpr std::int32_t columns = 600;
    constexpr std::int32_t rows = 1000;
    std::vector<std::int16_t> cells;
    for (std::int32_t i = 0; i < columns * rows; ++i) {
        cells.push_back(static_cast<std::int16_t>(i % 65536));
    }
    const Read read = read_bytes(dtm_file(grid_header(DTM_INT16, columns, rows), cells));
    ASSERT_EQ(read.status, DtmReadStatus::ok);
    ASSERT_EQ(read.file.cells.size(), 600000u);
    int wrong = 0;
    for (std::size_t i = 0; i < read.file.cells.size(); ++i) {
        wrong += read.file.cells[i] != static_cast<std::int16_t>(i % 65536);
    }
    EXPECT_EQ(wrong, 0);
}
