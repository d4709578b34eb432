// The console and file-system operations the tools stand on, one header for
// POSIX systems and Windows (posix_*.cpp, windows_*.cpp; common.cpp what is
// the same on both): name resolution as a case-insensitive file system does
// it, existence and read tests, file identity, path split and join, a key
// without echo, the free space of a volume, the output removed on an
// interruption. Everything else in the project opens, tests and removes
// files through this layer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Owning handle of a C stream; closing is automatic, close_file() reports
// whether the buffered data reached the file.
struct FileCloser {
    void operator()(std::FILE* file) const noexcept {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Closes the stream and returns true when every buffered byte was written
// and the close succeeded.
[[nodiscard]] bool close_file(UniqueFile& file);

// Maps a name to the file it denotes as a case-insensitive file system
// would: a path component that exists exactly as written is used as it is;
// otherwise a directory entry matching it ignoring ASCII case; a component
// that matches nothing keeps its spelling (a final one is then created so).
std::string resolve_path(const std::string& path);

// Existence and read-permission tests on a (resolved) name.
bool path_exists(const std::string& path);
bool path_readable(const std::string& path);

// True when both names exist and denote one file on disk (same device and
// inode, links followed).
bool same_file(const std::string& a, const std::string& b);

// Opens a file for reading without blocking on a FIFO and refusing a
// directory. Modes are those of fopen ("rb", "rt").
UniqueFile open_read_stream(const std::string& path, const char* mode);

// Opens a file for writing: "wb" creates or truncates, "rb+" updates an
// existing file. Never blocks on a FIFO without a reader; refuses a
// directory.
UniqueFile open_write_stream(const std::string& path, const char* mode);

// Size in bytes of what the stream reads: a file's length, 0 for a device
// or a pipe; std::nullopt when it cannot be learned.
std::optional<std::uint64_t> file_size(std::FILE* stream);

// The same for a regular file only; std::nullopt for a pipe, a device or
// anything else whose size says nothing about what it holds.
std::optional<std::uint64_t> regular_file_size(std::FILE* stream);

// 64-bit positions of a stream: where it stands, and a move to an absolute
// offset (false when the stream cannot be positioned, such as a pipe).
std::optional<std::uint64_t> tell(std::FILE* stream);
[[nodiscard]] bool seek(std::FILE* stream, std::uint64_t offset);

// The output file of a run, written once and then either committed or
// removed. create() creates or truncates it ("wb"); when it is a regular
// file it becomes the run's pending output, which is removed when the
// object goes unless commit() kept it, and also when SIGINT, SIGTERM or
// SIGHUP end the program while it is pending. Removal touches only that
// file: the same regular file under its resolved name (through a symbolic
// link, the link's target), never a device, a directory or a file put in
// its place. One output is pending at a time.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False when the file cannot be opened for writing.
    [[nodiscard]] bool create(const std::string& path);

    // The stream to write through, until commit().
    std::FILE* stream() const { return stream_.get(); }

    // Closes the file and keeps it when every byte written reached it;
    // otherwise removes it and returns false.
    [[nodiscard]] bool commit();

  private:
    UniqueFile stream_;
    bool pending_ = false;
};

// Called once at start-up: SIGINT, SIGTERM and SIGHUP then remove the
// pending output and restore a terminal changed for a key read before the
// program ends by the signal, so that a calling shell sees it.
void clean_up_on_interruption();

// Path parts as the tools split them: directory (with its trailing
// separator), base name, and extension from the last dot of the file name.
struct PathParts {
    std::string directory;
    std::string base;
    std::string extension;
};
PathParts split_path(const std::string& path);
std::string join_path(const PathParts& parts);

// The program's arguments (after its name) in UTF-8.
std::vector<std::string> program_arguments(int argc, char** argv);

// A text file's content as the system ends its lines: LF on Linux, CR LF
// on Windows.
std::string native_line_ends(std::string text);

// Case folding of ASCII letters; every other byte is left as it is.
std::string to_lower_ascii(std::string text);
std::string to_upper_ascii(std::string text);

// Writes out everything printed so far on standard output.
void flush_console();

// Called once at start-up: console output to a reader that has gone away
// fails quietly instead of ending the program.
void prepare_console();

// True when the stream is a terminal (a person watches it), false for a
// file, a pipe or a closed stream.
bool is_terminal(std::FILE* stream);

// Reads one key without echo. A terminal is put into non-canonical mode for
// the read and the escape sequence of a special key is consumed whole and
// reported as a code of 256 or more; any other input is read a byte at a
// time. Returns the key code, or std::nullopt at the end of the input.
std::optional<int> read_console_key();

// Free bytes for an unprivileged writer on the volume holding the directory,
// or std::nullopt when the query fails.
std::optional<std::uint64_t> free_disk_space(const std::string& directory);

// Memory for one large array (the grid of a converter), taken from the
// system directly and in huge pages where it offers them, so that filling
// hundreds of megabytes does not fault in one small page at a time. Not
// cleared. Empty when the memory cannot be had.
class LargeMemory {
  public:
    LargeMemory() = default;
    explicit LargeMemory(std::size_t bytes);
    ~LargeMemory();
    LargeMemory(LargeMemory&& other) noexcept;
    LargeMemory& operator=(LargeMemory&& other) noexcept;
    LargeMemory(const LargeMemory&) = delete;
    LargeMemory& operator=(const LargeMemory&) = delete;

    void* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

  private:
    // The system's side, one for each system: take `bytes` (more than 0)
    // and set the members, or leave them empty; give the mapping back.
    void map(std::size_t bytes);
    void unmap();
    void release();

    void* data_ = nullptr;
    void* mapping_ = nullptr;
    std::size_t mapped_bytes_ = 0;
};

} // namespace platform
