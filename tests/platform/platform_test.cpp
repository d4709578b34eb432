#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cli/file_args.hpp"
#include "platform/platform.hpp"
#include "tests/support/test_files.hpp"

using namespace testing_support;
using namespace cli;

TEST(Platform, SplitPathSeparatesDirectoryBaseAndLastExtension) {
    const auto parts = platform::split_path("dir.x/sub/name.tar.gz");
    EXPECT_EQ(parts.directory, "dir.x/sub/");
    EXPECT_EQ(parts.base, "name.tar");
    EXPECT_EQ(parts.extension, ".gz");
    EXPECT_EQ(platform::split_path("noext").extension, "");
    EXPECT_EQ(platform::split_path("dir.d/noext").base, "noext");
#ifdef _WIN32
    // Either separator, and a drive.
    const auto windows = platform::split_path("C:\\my.data\\x.dem");
    EXPECT_EQ(windows.directory, "C:\\my.data\\");
    EXPECT_EQ(windows.base + windows.extension, "x.dem");
    EXPECT_EQ(platform::split_path("C:x.dem").directory, "C:");
#endif
}

TEST(Platform, ResolutionMatchesNamesIgnoringCase) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("Dems"));
    write_file(dir.file("Dems/MyDem.dem"), "x");
#ifndef _WIN32 // Windows's file system ignores case itself
    EXPECT_EQ(platform::resolve_path(dir.file("dems/mydem.dem")), dir.file("Dems/MyDem.dem"));
    EXPECT_EQ(platform::resolve_path(dir.file("DEMS/NEW.DTM")), dir.file("Dems/NEW.DTM"));
#endif
    EXPECT_TRUE(platform::path_exists(dir.file("DEMS/MYDEM.DEM")));
    EXPECT_FALSE(platform::path_exists(dir.file("DEMS/OTHER.DEM")));
}

TEST(Platform, SameFileSeesThroughSpellingsAndLinks) {
    TempDir dir;
    write_file(dir.file("a.dem"), "x");
    EXPECT_TRUE(platform::same_file(dir.file("a.dem"), dir.path() + "/./a.dem"));
#ifndef _WIN32 // links are a POSIX matter here
    ASSERT_EQ(::symlink("a.dem", dir.file("link.dem").c_str()), 0);
    EXPECT_TRUE(platform::same_file(dir.file("A.DEM"), dir.file("link.dem")));
#endif
    EXPECT_FALSE(platform::same_file(dir.file("a.dem"), dir.file("missing.dem")));
}

// Creates the file as the run's output and lets it go: removed unless
// `commit`.
void write_output(const std::string& path, bool commit = false) {
    platform::OutputFile output;
    if (output.create(path) && commit) {
        EXPECT_TRUE(output.commit());
    }
}

TEST(Platform, FailedOutputRemovalTakesOnlyTheRegularFileWritten) {
    TempDir dir;
    write_file(dir.file("target"), "x");
    write_file(dir.file("Plain"), "x");
    std::filesystem::create_directory(dir.file("sub"));
    write_output(dir.file("sub"));
    EXPECT_TRUE(file_exists(dir.file("sub")));
#ifndef _WIN32 // links and /dev are POSIX matters
    ASSERT_EQ(::symlink("target", dir.file("link").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", dir.file("null").c_str()), 0);
    write_output(dir.file("null"));
    EXPECT_TRUE(file_exists("/dev/null"));
    // Through a link the file written, its target, goes; the link stays.
    write_output(dir.file("link"));
    EXPECT_TRUE(file_exists(dir.file("link")));
    EXPECT_FALSE(file_exists(dir.file("target")));
#endif
    write_output(dir.file("PLAIN"));
    EXPECT_FALSE(file_exists(dir.file("Plain")));
    write_output(dir.file("kept"), true);
    EXPECT_TRUE(file_exists(dir.file("kept")));
#ifndef _WIN32 // Windows refuses to put a file in the place of one open
    // A file put in the place of the one written is not the run's to remove.
    {
        platform::OutputFile output;
        ASSERT_TRUE(output.create(dir.file("replaced")));
        write_file(dir.file("other"), "y");
        std::filesystem::rename(dir.file("other"), dir.file("replaced"));
    }
    EXPECT_EQ(read_file(dir.file("replaced")), "y");
#endif
}

TEST(Platform, StreamsRefuseDirectoriesAndDoNotWaitOnFifos) {
    TempDir dir;
    EXPECT_FALSE(platform::open_read_stream(dir.path(), "rb"));
#ifdef _WIN32
    GTEST_SKIP() << "no FIFOs on Windows";
#else
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(platform::open_write_stream(dir.file("fifo"), "wb"));
    EXPECT_FALSE(platform::open_read_stream(dir.path(), "rb"));
    auto fifo = platform::open_read_stream(dir.file("fifo"), "rb");
    ASSERT_TRUE(fifo);
    EXPECT_EQ(std::fgetc(fifo.get()), EOF);
#endif
}
