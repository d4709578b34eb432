#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "dem_import/dem_profile.hpp"
#include "tests/support/dem_builder.hpp"

using namespace testing_support;
using namespace taverlin;

namespace {

std::int64_t skip_from(const std::string& bytes, long position,
                       RecordStatus expected_result = RecordStatus::at_record) {
    BytesReader file(bytes, position);
    EXPECT_EQ(skip_to_next_record(file.in), expected_result);
    return file.in.tell();
}

} // namespace

TEST(RecordAlignment, FixedRecordsStopOnTheNextBoundary) {
    const std::string blanks(4096, ' ');
    EXPECT_EQ(skip_from(blanks, 864), 1024);
    EXPECT_EQ(skip_from(blanks, 1024), 2048);
    EXPECT_EQ(skip_from(blanks, 0), 1024);
    skip_from(std::string(1000, ' '), 900, RecordStatus::end_of_file);
}

TEST(RecordAlignment, LineEndsEndTheRecordEarly) {
    std::string text(3000, ' ');
    text.replace(900, 2, "\r\n");
    EXPECT_EQ(skip_from(text, 864), 902);
    text[902] = '\0';
    EXPECT_EQ(skip_from(text, 864), 902); // a NUL stops the skip and is read next
    std::string tab(3000, ' ');
    tab[870] = '\t';
    tab[871] = '\n';
    EXPECT_EQ(skip_from(tab, 864), 872);
    // A line end as the last byte before the boundary is consumed; the LF
    // after it belongs to the next record.
    std::string edge(3000, ' ');
    edge.replace(1023, 2, "\r\n");
    EXPECT_EQ(skip_from(edge, 900), 1024);
}

TEST(Profiles, ElevationsCrossRecordsAndNegativeCountsFail) {
    TestProfile built = make_profile(100, 200, {});
    for (int i = 0; i < 400; ++i) {
        built.elevations.push_back(i - 200);
    }
    BytesReader file(type_b_records(built));
    DemProfile profile;
    ASSERT_EQ(read_profile_header(file.in, profile), DemStatus::ok);
    EXPECT_EQ(file.in.tell(), 144);
    EXPECT_EQ(profile.elevation_count, 400);
    ASSERT_EQ(read_profile_elevations(file.in, profile), DemStatus::ok);
    EXPECT_EQ(profile.elevations.front(), -200);
    EXPECT_EQ(profile.elevations.back(), 199);

    built.count_override = 0;
    built.elevations.clear();
    BytesReader negative(type_b_records(built));
    ASSERT_EQ(read_profile_header(negative.in, profile), DemStatus::ok);
    profile.elevation_count = -1;
    EXPECT_EQ(read_profile_elevations(negative.in, profile), DemStatus::cannot_read_profile);

    // A count far beyond what the file holds fails at the end of the data.
    built.count_override = 999999;
    built.elevations = {1, 2, 3};
    BytesReader claims_more(type_b_records(built));
    ASSERT_EQ(read_profile_header(claims_more.in, profile), DemStatus::ok);
    EXPECT_EQ(read_profile_elevations(claims_more.in, profile), DemStatus::cannot_read_profile);
}
