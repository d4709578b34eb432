#include "fuzz/fuzz_file.hpp"

#include <fcntl.h>
#include <unistd.h>

namespace fuzzing {

const testing_support::TempDir& scratch_folder() {
    static const testing_support::TempDir folder;
    return folder;
}

void write_input(const std::string& path, const std::uint8_t* data, std::size_t size) {
    testing_support::write_file(path, std::string(reinterpret_cast<const char*>(data), size));
}

void silence_standard_output() {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
}

} // namespace fuzzing
