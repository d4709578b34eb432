#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "dem_import/conversion.hpp"
#include "dem_import/dem_extent.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "tests/support/dem_builder.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace taverlin;

namespace {

// A reader over the given bytes, standing at `position`.

TestDem worked_example() {
    // 101 profiles from X 1000 to 4000; the longest, 200 elevations, starts
    // furthest north at Y 2090.
    TestDem dem;
    for (int i = 0; i <= 100; ++i) {
        std::vector<int> elevations(i == 100 ? 200 : 5, 7);
        dem.profiles.push_back(
            make_profile(1000 + 30 * i, 2000 + (i == 100 ? 90 : i % 3), elevations));
    }
    return dem;
}

// Converts the DEM into memory; `header` holds the DTM header written.
DemResult convert(const std::string& path, dtm::DtmHeader& header) {
    DemRunSettings settings;
    settings.source_path = path;
    StringSink dtm;
    StringSink report;
    MemoryReporter console;
    const DemResult result = convert_dem(settings, {dtm, report, console});
    (void)dtm.header(header);
    return result;
}

} // namespace

TEST(Extent, WorkedExampleInEveryLayout) {
    const TestDem dem = worked_example();
    for (const auto layout :
         {RecordLayout::Fixed, RecordLayout::LineEnds, RecordLayout::CutShort}) {
        TempDir dir;
        write_file(dir.file("w.dem"), build_dem(dem, layout, "\r\n"));
        dtm::DtmHeader header;
        ASSERT_TRUE(convert(dir.file("w.dem"), header).ok());
        EXPECT_EQ(header.x_origin, 1000.0);
        EXPECT_EQ(header.y_origin, 2000.0);
        EXPECT_EQ(header.x_spacing, 30.0);
        EXPECT_EQ(header.column_count, 101);
        EXPECT_EQ(header.row_count, 203);
    }
}

// A large DEM is scanned in two halves at once; whatever the file holds,
// the outcome, the limits, the kept cells and where reading stands are
// those of one pass.
TEST(Extent, ScanInTwoHalvesGivesWhatOnePassGives) {
    TestDem dem;
    for (int i = 0; i < 40; ++i) {
        dem.profiles.push_back(
            make_profile(500 + 30 * i, 100 + 7 * (i % 5), std::vector<int>(20 + 9 * i, i), i + 1));
    }
    // A long flat run of 1s past the middle: each of its records reads like
    // the start of a first-row profile.
    TestDem flat;
    flat.profiles = {make_profile(500, 100, {4, 5}, 1),
                     make_profile(530, 100, std::vector<int>(3000, 1), 2),
                     make_profile(560, 100, {6}, 3)};
    const auto scan = [](const std::string& path, std::uint64_t split_from,
                         std::vector<std::vector<std::int16_t>>& columns, DemLimits& limits,
                         std::int64_t& position) {
        DemSource source;
        DemHeader header;
        EXPECT_TRUE(open_dem(path, source, header).ok());
        source.split_from_bytes = split_from;
        ProfileCells kept(1.0, 1.0);
        const DemResult result = scan_profiles(source, header, nullptr, limits, &kept);
        columns.clear();
        for (std::size_t i = 0; i < kept.size(); ++i) {
            columns.emplace_back(kept.cells(i).begin(), kept.cells(i).end());
        }
        position = source.in->tell();
        return result;
    };
    TempDir dir;
    for (const auto layout : {RecordLayout::Fixed, RecordLayout::CutShort}) {
        const std::string whole = build_dem(dem, layout, "\r\n");
        const std::string bad_elevation =
            std::string(whole).replace(whole.size() * 3 / 4, 6, "   7a ");
        // Whole, cut in either half, damaged late, or announcing fewer or
        // more profiles than it holds.
        for (const std::string& bytes :
             {whole, whole.substr(0, whole.size() / 3), whole.substr(0, whole.size() * 4 / 5),
              bad_elevation, std::string(whole).replace(858, 6, "    33"),
              std::string(whole).replace(858, 6, "    44"), build_dem(flat, layout, "\r\n")}) {
            write_file(dir.file("a.dem"), bytes);
            std::vector<std::vector<std::int16_t>> once;
            std::vector<std::vector<std::int16_t>> halves;
            DemLimits one_pass;
            DemLimits two_halves;
            std::int64_t at_once = 0;
            std::int64_t at_halves = 0;
            const DemResult expected = scan(dir.file("a.dem"), UINT64_MAX, once, one_pass, at_once);
            const DemResult got = scan(dir.file("a.dem"), 0, halves, two_halves, at_halves);
            EXPECT_EQ(got.status, expected.status);
            EXPECT_EQ(got.profile, expected.profile);
            EXPECT_EQ(halves, once);
            if (expected.ok()) {
                EXPECT_EQ(std::tie(two_halves.x_min, two_halves.x_max, two_halves.y_min,
                                   two_halves.y_max, two_halves.largest_count),
                          std::tie(one_pass.x_min, one_pass.x_max, one_pass.y_min, one_pass.y_max,
                                   one_pass.largest_count));
                EXPECT_EQ(at_halves, at_once);
            }
        }
    }
}

TEST(Extent, FailuresAreReportedNotComputedFrom) {
    TempDir dir;
    TestDem dem = worked_example();
    const std::string full = build_dem(dem);
    dtm::DtmHeader header;
    const auto status_of = [&](const char* name) { return convert(dir.file(name), header).status; };

    write_file(dir.file("cut.dem"), full.substr(0, 1024 * 6 + 500));
    const DemResult cut = convert(dir.file("cut.dem"), header);
    EXPECT_EQ(cut.status, DemStatus::cannot_read_profile);
    EXPECT_EQ(cut.profile, 7);

    EXPECT_EQ(status_of("none.dem"), DemStatus::cannot_read_header);
    write_file(dir.file("short.dem"), full.substr(0, 400));
    EXPECT_EQ(status_of("short.dem"), DemStatus::cannot_read_header);

    for (const double resolution : {0.0, -30.0, HUGE_VAL}) {
        dem.y_resolution = resolution;
        write_file(dir.file("res.dem"), build_dem(dem));
        EXPECT_EQ(status_of("res.dem"), DemStatus::bad_resolution);
    }

    TestDem empty;
    write_file(dir.file("empty.dem"), build_dem(empty));
    EXPECT_EQ(status_of("empty.dem"), DemStatus::extent_too_large);
}
