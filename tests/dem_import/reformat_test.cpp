#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dem_import/conversion.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "tests/support/dem_builder.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace dtm;
using namespace taverlin;

namespace {

// Converts the DEM (by default two profiles) through taverlin's own
// sequence into memory, its elevations in feet or meters and the DTM's in
// meters, and returns the cell bytes; `header` then holds the range found.
// The cells come from the scan's kept cells or, with `read_twice`, from
// reading the profiles again, as a DEM without an elevation code whose unit
// the /V question asks for is read.
std::string reformat(bool feet, DtmHeader& header, bool read_twice = false,
                     std::vector<TestProfile> profiles = {make_profile(0, 0, {5, -2, 0}),
                                                          make_profile(30, 60, {7})}) {
    TempDir dir;
    TestDem dem;
    dem.profiles = std::move(profiles);
    dem.elevation_units = read_twice ? 0 : feet ? 1 : 2;
    write_file(dir.file("a.dem"), build_dem(dem));
    DemRunSettings settings;
    settings.source_path = dir.file("a.dem");
    settings.output_z_unit = Unit::meters;
    settings.prompt_for_units = read_twice;
    StringSink dtm;
    StringSink report;
    MemoryReporter console(feet ? "f" : "m");
    EXPECT_TRUE(convert_dem(settings, {dtm, report, console}).ok()) << console.text();
    EXPECT_EQ(dtm.header(header), DtmReadStatus::ok);
    return dtm.bytes().substr(DTM_DATA_OFFSET);
}

} // namespace

TEST(Reformat, EveryVoidStaysMinusOneWhateverTheFactorReadOnceOrTwice) {
    for (const bool read_twice : {false, true}) {
        DtmHeader header;
        const std::string cells = reformat(true, header, read_twice);
        ASSERT_EQ(cells.size(), 2u * 3 * 2);
        // 5 ft is 1.524 m, 7 ft 2.1336 m; -2 is a void, 0 stays 0.
        EXPECT_EQ(cells, std::string("\x01\x00\xFF\xFF\x00\x00\xFF\xFF\xFF\xFF\x02\x00", 12));
        EXPECT_EQ(header.z_min, 1.0);
        EXPECT_EQ(header.z_max, 2.0);
    }
}

TEST(Reformat, NoPositiveCellLeavesTheStartValuesAsTheRange) {
    DtmHeader header;
    reformat(false, header, false, {make_profile(0, 0, {0, -5})});
    EXPECT_EQ(header.z_min, std::numeric_limits<double>::max());
    EXPECT_EQ(header.z_max, 2.2250738585072014e-308);
}
