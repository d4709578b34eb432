// Files cut at every byte: each reader must fail exactly where the cut
// takes away something it needs, and nowhere else.
#include <gtest/gtest.h>

#include "dem_import/conversion.hpp"
#include "grid_import/surfer_layout.hpp"
#include "tests/support/dem_builder.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace taverlin;

namespace {

constexpr std::size_t TYPE_A_FIELDS_END = 864; // the last field read is the profile count

TestDem three_profiles() {
    TestDem dem;
    dem.profiles = {make_profile(1000, 2000, {10, 0, -5, 40000}, 1),
                    make_profile(1030, 2081, {7, 8}, 2), make_profile(1060, 2030, {-3}, 3)};
    return dem;
}

// Offsets (in the whole file) from which each profile is complete, for a
// file of Type A record plus one record per profile, each record ending at
// its line end or after 1024 bytes.
std::vector<std::size_t> profile_ends(const std::string& dem, bool line_ends) {
    std::vector<std::size_t> ends;
    std::size_t start = 0;
    for (int record = 0; start < dem.size(); ++record) {
        const std::size_t length = line_ends ? dem.find('\n', start) + 1 - start : 1024;
        if (record > 0) {
            ends.push_back(start + last_number_readable_from(dem.substr(start, length)));
        }
        start += length;
    }
    return ends;
}

TEST(Truncation, DemFailsAtTheFirstProfileTheCutReaches) {
    TempDir dir;
    const std::string path = dir.file("cut.dem");
    for (const bool cut_short : {false, true}) {
        const std::string dem =
            build_dem(three_profiles(), cut_short ? RecordLayout::CutShort : RecordLayout::Fixed);
        const std::vector<std::size_t> ends = profile_ends(dem, cut_short);
        ASSERT_EQ(ends.size(), 3u);
        for (std::size_t cut = 0; cut <= dem.size(); ++cut) {
            write_file(path, dem.substr(0, cut));
            DemRunSettings settings;
            settings.source_path = path;
            StringSink dtm;
            StringSink report;
            MemoryReporter console;
            const DemResult result = convert_dem(settings, {dtm, report, console});
            SCOPED_TRACE("cut at " + std::to_string(cut) + (cut_short ? " (line ends)" : ""));
            if (cut < TYPE_A_FIELDS_END) {
                ASSERT_EQ(result.status, DemStatus::cannot_read_header);
                continue;
            }
            std::size_t readable = 0;
            while (readable < ends.size() && cut >= ends[readable]) {
                ++readable;
            }
            if (readable == ends.size()) {
                ASSERT_EQ(result.status, DemStatus::ok);
                ASSERT_EQ(le_int32(dtm.bytes(), 142), 3); // the column count
            } else {
                ASSERT_EQ(result.status, DemStatus::cannot_read_profile);
                ASSERT_EQ(result.profile, static_cast<int>(readable) + 1);
            }
        }
    }
}

} // namespace
