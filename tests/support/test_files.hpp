// Temporary folders, whole-file reads and writes, and running a built
// program in a folder with its standard input and output captured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

struct RunResult {
    int exit_status = -1; // exit code, or 128 + signal number
    std::string out;      // standard output
    std::string err;      // standard error
};

// Runs `program` with `arguments` in folder `directory`, feeding `input` on
// standard input (closed after it). Standard error is captured apart.
RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& directory, const std::string& input = {},
                      std::uint64_t file_size_limit = 0);

// Little-endian field readers for checking output bytes.
std::int16_t le_int16(const std::string& bytes, std::size_t offset);
std::int32_t le_int32(const std::string& bytes, std::size_t offset);
float le_float32(const std::string& bytes, std::size_t offset);
double le_float64(const std::string& bytes, std::size_t offset);

} // namespace testing_support
