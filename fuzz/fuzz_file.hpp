// Scratch files for the fuzz targets: the readers under test open files by
// name and measure them, so each input is written to a real file first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzzing {

// A private folder in shared memory (or the temporary directory), removed
// with its files when the process ends normally.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Replaces the file's contents with the input; false when it cannot.
bool write_input(const std::string& path, const std::uint8_t* data, std::size_t size);

// Sends standard output to /dev/null, so that the messages of the code under
// test do not drown the fuzzer's own report on standard error.
void silence_standard_output();

} // namespace fuzzing
