// Runs a fuzz target without libFuzzer, once on each input: the files named
// on the command line and every file in the folders named there, in name
// order. Each input is reported on standard error before it runs, so that a
// crash (which ends the program, and with it the test) names its input.
// Fails as well when there was no input at all, so that a wrong folder does
// not pass for a clean run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Defined by the targets that prepare something once.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

// The files to run: each argument that is a file, and the files of each
// argument that is a folder; nothing for an argument that is neither.
bool collect_inputs(const std::string& argument, std::vector<fs::path>& inputs) {
    std::error_code error;
    if (fs::is_regular_file(argument, error)) {
        inputs.emplace_back(argument);
        return true;
    }
    if (!fs::is_directory(argument, error)) {
        return false;
    }
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(argument, error)) {
        if (entry.is_regular_file(error)) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
    return !error;
}

bool run_input(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        std::fprintf(stderr, "Cannot open %s\n", path.c_str());
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::fprintf(stderr, "Running %s (%zu bytes)\n", path.c_str(), bytes.size());
    // A copy of exactly the input's length, so that reading past its end
    // is caught as it would be under libFuzzer.
    const auto data = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data.get());
    (void)LLVMFuzzerTestOneInput(data.get(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) {
        (void)LLVMFuzzerInitialize(&argc, &argv);
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!collect_inputs(argv[i], inputs)) {
            std::fprintf(stderr, "Neither a file nor a readable folder: %s\n", argv[i]);
            return 1;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "No inputs\n");
        return 1;
    }
    for (const fs::path& path : inputs) {
        if (!run_input(path)) {
            return 1;
        }
    }
    std::fprintf(stderr, "%zu inputs ran\n", inputs.size());
    return 0;
}
