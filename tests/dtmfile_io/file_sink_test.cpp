#include <gtest/gtest.h>

#include <bit>
#include <sys/stat.h>

#include "dtmfile_io/file_sink.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace dtm;

TEST(DtmWriter, HeaderFirstCellsFromByte200AndTheRangeWrittenAgain) {
    TempDir dir;
    const std::string path = dir.file("a.dtm");
    {
        FileSink sink(path);
        DtmWriter writer(sample_dtm_header());
        ASSERT_EQ(writer.start(sink), WriteStatus::ok);
#ifndef _WIN32 // Windows lets nobody else read a file being written
        EXPECT_EQ(read_file(path).size(), 160u); // the header is out at once
#endif
        EXPECT_EQ(writer.put(40000.0), -25536.0);
        EXPECT_EQ(writer.put(-1.9), -1.0);
        writer.set_elevation_range(1.0, 9.0);
        ASSERT_EQ(writer.finish(), WriteStatus::ok);
        ASSERT_TRUE(sink.commit());
    }
    const std::string bytes = read_file(path);
    ASSERT_EQ(bytes.size(), 204u);
    EXPECT_EQ(le_float64(bytes, 110), 9.0);
    EXPECT_EQ(bytes.substr(160, 40), std::string(40, '\0'));
    EXPECT_EQ(le_int16(bytes, 200), -25536);
    EXPECT_EQ(le_int16(bytes, 202), -1);

    // A grid without cells ends with its header; a file sink opens at its
    // first byte, so one never written leaves the file alone; one not
    // committed goes.
    DtmHeader empty = sample_dtm_header();
    empty.row_count = 0;
    {
        FileSink sink(path);
        DtmWriter writer(empty);
        ASSERT_EQ(writer.start(sink), WriteStatus::ok);
        ASSERT_EQ(writer.finish(), WriteStatus::ok);
        ASSERT_TRUE(sink.commit());
    }
    EXPECT_EQ(read_file(path).size(), 160u);
    { FileSink untouched(path); }
    EXPECT_EQ(read_file(path).size(), 160u);
    {
        FileSink sink(path);
        DtmWriter writer(sample_dtm_header());
        ASSERT_EQ(writer.start(sink), WriteStatus::ok);
        writer.put(1.0);
    }
    EXPECT_FALSE(file_exists(path));
    FileSink nowhere(dir.file("no/such/a.dtm"));
    EXPECT_EQ(DtmWriter(sample_dtm_header()).start(nowhere), WriteStatus::cannot_create);
}

TEST(DtmWriter, FullDeviceFailsWithoutBeingRemoved) {
    struct stat info {};
    if (::stat("/dev/full", &info) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    FileSink sink("/dev/full");
    EXPECT_EQ(DtmWriter(sample_dtm_header()).start(sink), WriteStatus::cannot_write);
    EXPECT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}
