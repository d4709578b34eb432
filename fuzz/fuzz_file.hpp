// What the fuzz targets share besides the test helpers: the readers under
// test open files by name and measure them, so each input is written to a
// real file in a private temporary folder (testing_support::TempDir).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/support/test_files.hpp"

namespace fuzzing {

// The folder of this fuzzing process, removed when it ends normally.
const testing_support::TempDir& scratch_folder();

// Replaces the file's contents with the input.
void write_input(const std::string& path, const std::uint8_t* data, std::size_t size);

// Sends standard output to /dev/null, so that the messages of the code under
// test do not drown the fuzzer's own report on standard error.
void silence_standard_output();

} // namespace fuzzing
