// Damaged and hostile DEMs, family by family: each run ends in its own
// error line with no DTM left, or in a complete conversion, and never needs
// memory in proportion to the counts a file claims.
#include <gtest/gtest.h>

#include <optional>

#include "dtmfile/dtm_reader.hpp"
#include "dtmfile_io/dtm_file_reader.hpp"
#include "tests/dem_import/taverlin_run.hpp"

using namespace taverlin_test;

namespace {

const std::string HEADER = "Cannot read USGS DEM file header";
const std::string EXTENT = "Grid extent of USGS DEM file is too large for a DTM file: a.dem";

std::string cannot_read(int profile) {
    return "Cannot read profile " + std::to_string(profile) + " of USGS DEM file: a.dem";
}

// Far below what any of the claimed counts would take if they were believed.
constexpr long MEMORY_BOUND_KB = 100 * 1024;

// Right-aligned in a field of the given width.
std::string field(const std::string& text, std::size_t width) {
    return std::string(width - text.size(), ' ') + text;
}

struct Case {
    std::string what;
    std::string dem;
    std::optional<std::string> error; // none: converted
};

void check(const Case& c) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    write_file(dir.file("a.dem"), c.dem);
    const RunResult run = taverlin(dir, {"a.dem", "a.dtm", "/S"});
    EXPECT_LT(run.peak_memory_kb, MEMORY_BOUND_KB);
    if (c.error) {
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_TRUE(run.out.ends_with(error_line(*c.error))) << run.out;
        EXPECT_FALSE(file_exists(dir.file("a.dtm")));
        if (*c.error == EXTENT) {
            EXPECT_FALSE(file_exists(dir.file("a.HDR")));
        }
        return;
    }
    EXPECT_EQ(run.exit_status, 0) << run.out;
    EXPECT_TRUE(run.out.ends_with("Format conversion complete\n\n")) << run.out;
    // A complete DTM file with cells: its length agrees with its header's counts.
    DtmHeader header;
    DtmFileFacts facts;
    const DtmReadStatus status = read_dtm_header(dir.file("a.dtm"), header, facts);
    EXPECT_EQ(status, DtmReadStatus::ok)
        << dtm_read_message(status, header, facts, dir.file("a.dtm"));
    EXPECT_GT(facts.cell_count, 0u);
    EXPECT_EQ(header.data_type, DTM_INT16);
}

const std::string DEM = build_dem(small_dem());

TEST(TaverlinHostile, ExtremeCounts) {
    const std::vector<Case> cases = {
        {"no profiles", patched(DEM, 0, 858, "     0"), EXTENT},
        {"-1 profiles", patched(DEM, 0, 858, "    -1"), EXTENT},
        {"30000 profiles in four records", patched(DEM, 0, 858, " 30000"), cannot_read(4)},
        // Six digits run on from the field before unless that one ends in a blank.
        {"999999 profiles", patched(DEM, 0, 852, "    1 999999"), cannot_read(4)},
        {"077777 profiles, decimal", patched(DEM, 0, 858, "077777"), cannot_read(4)},
        {"-1 elevations", patched(DEM, 1, 12, "    -1"), cannot_read(1)},
        {"999999 elevations in one record", patched(DEM, 2, 6, "    2 999999"), cannot_read(2)},
        {"0xFFFF elevations: 0, then no number", patched(DEM, 2, 12, "0xFFFF"), cannot_read(2)},
        {"no elevations: one more row below", patched(DEM, 1, 12, "     0"), std::nullopt},
        {"999999 elevation columns: a million grid columns", patched(DEM, 3, 12, "    1 999999"),
         cannot_read(4)},
        {"elevation columns 0: one column more than profiles", patched(DEM, 1, 18, "     0"),
         cannot_read(4)},
        {"elevation columns -1 on the last profile", patched(DEM, 3, 18, "    -1"), std::nullopt},
        {"an elevation beyond 32 bits", patched(DEM, 1, 144, "9999999999 0"), std::nullopt},
        {"a profile 2.3e9 rows north", patched(DEM, 3, 48, field("0.7E+11", 24)), EXTENT},
        {"a profile 20 million rows north of a 4 KB file",
         patched(DEM, 3, 48, field("0.6E+09", 24)), EXTENT},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST(TaverlinHostile, WordsWhereNumbersBelong) {
    const std::vector<Case> cases = {
        {"level code", patched(DEM, 0, 144, "   abc"), HEADER},
        {"projection parameter", patched(DEM, 0, 168, field("not a number", 24)), HEADER},
        {"X resolution", patched(DEM, 0, 816, "  .garbage. "), HEADER},
        {"profile count", patched(DEM, 0, 858, "  many"), HEADER},
        {"profile row number", patched(DEM, 2, 0, "   two"), cannot_read(2)},
        {"profile X", patched(DEM, 1, 24, field("east", 24)), cannot_read(1)},
        {"an elevation", patched(DEM, 2, 144, "    7a"), cannot_read(2)},
        {"a lone sign", patched(DEM, 3, 144, "     -"), cannot_read(3)},
        {"a control byte", patched(DEM, 1, 156, std::string("\0", 1)), cannot_read(1)},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST(TaverlinHostile, NotANumberAndInfinity) {
    const std::string nan = field("NaN", 24);
    const std::vector<Case> cases = {
        {"NaN X resolution", patched(DEM, 0, 816, field("nan", 12)),
         "Invalid X or Y resolution in USGS DEM file: a.dem"},
        {"infinite Y resolution", patched(DEM, 0, 828, field("inf", 12)),
         "Invalid X or Y resolution in USGS DEM file: a.dem"},
        {"infinite profile Y", patched(DEM, 2, 48, field("Infinity", 24)), EXTENT},
        {"minus infinite profile Y", patched(DEM, 3, 48, field("-inf", 24)), EXTENT},
        {"infinite profile X", patched(DEM, 2, 24, field("inf", 24)), EXTENT},
        {"NaN corners, range and rotation",
         patched(patched(patched(DEM, 0, 546, nan), 0, 738, nan), 0, 786, nan), std::nullopt},
        {"NaN profile Y", patched(DEM, 1, 48, nan), std::nullopt},
        {"NaN datum", patched(DEM, 2, 72, nan), std::nullopt},
        {"NaN elevation range of a profile", patched(patched(DEM, 2, 96, nan), 2, 120, nan),
         std::nullopt},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST(TaverlinHostile, NaNCoordinatesLeaveTheGridAsTheOtherProfilesMakeIt) {
    // A profile without a usable X stays in its column; the extent comes from
    // the others, so the whole file is as without the damage.
    TempDir dir;
    write_file(dir.file("a.dem"), patched(DEM, 2, 24, field("NaN", 24)));
    const RunResult run = taverlin(dir, {"a.dem", "a.dtm", "/Q"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(read_file(dir.file("a.dtm")), dtm_bytes(ExpectedDtm{}));

    // Elevations over a NaN datum have no integer value: stored as 0, as
    // the processor's conversion gives, and outside the elevation range.
    write_file(dir.file("a.dem"), patched(DEM, 2, 72, field("NaN", 24)));
    EXPECT_EQ(taverlin(dir, {"a.dem", "a.dtm", "/Q"}).exit_status, 0);
    ExpectedDtm zeroed;
    zeroed.cells[6] = 0;
    zeroed.cells[7] = 0;
    EXPECT_EQ(read_file(dir.file("a.dtm")), dtm_bytes(zeroed));
}

} // namespace
