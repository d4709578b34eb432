#include "tests/support/scan_comparison.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "tests/support/scanf_reference.hpp"
#include "textscan/number_scan.hpp"

namespace testing_support {

namespace {

using textscan::TextReader;

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, Closer>;

File memory_stream(std::string& bytes) {
#ifdef _WIN32
    // No fmemopen: a temporary file holding the bytes.
    File file(std::tmpfile());
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file.get());
        std::rewind(file.get());
    }
    return file;
#else
    return File(::fmemopen(bytes.data(), bytes.size(), "r"));
#endif
}

// One number read by either side: its status, value bits and position after.
struct Step {
    int status = 0;
    std::uint64_t bits = 0;
    long position = 0;

    bool operator==(const Step&) const = default;
};

template <typename Value>
std::uint64_t bits_of(Value value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
}

// The C library's reads and the scanners' behind one face.
struct LibrarySide {
    std::FILE* stream;
    int integer(int width, std::int32_t& value) { return scanf_integer(stream, width, value); }
    int real(double& value) { return scanf_double(stream, value); }
    int real(float& value) { return scanf_float(stream, value); }
    void space() { scanf_space(stream); }
    long position() const { return std::ftell(stream); }
};

struct ScannerSide {
    TextReader& in;
    int integer(int width, std::int32_t& value) {
        return static_cast<int>(textscan::scan_integer(in, width, value));
    }
    int real(double& value) { return static_cast<int>(textscan::scan_double(in, value)); }
    int real(float& value) { return static_cast<int>(textscan::scan_float(in, value)); }
    void space() { textscan::skip_space(in); }
    long position() const { return static_cast<long>(in.tell()); }
};

template <typename Side>
Step take_step(Side side, ScanKind kind) {
    Step step;
    switch (kind) {
    case ScanKind::Integer:
    case ScanKind::SixDigitInteger: {
        std::int32_t value = 0;
        step.status = side.integer(kind == ScanKind::Integer ? 0 : 6, value);
        step.bits = step.status == 1 ? bits_of(value) : 0;
        break;
    }
    case ScanKind::Double:
    case ScanKind::DoubleThenSpace: {
        double value = 0;
        step.status = side.real(value);
        step.bits = step.status == 1 ? bits_of(value) : 0;
        if (step.status == 1 && kind == ScanKind::DoubleThenSpace) {
            side.space();
        }
        break;
    }
    case ScanKind::Float: {
        float value = 0;
        step.status = side.real(value);
        step.bits = step.status == 1 ? bits_of(value) : 0;
        break;
    }
    }
    step.position = side.position();
    return step;
}

std::string describe(const char* side, const Step& step) {
    std::ostringstream out;
    out << side << ": status " << step.status << ", bits " << std::hex << step.bits << std::dec
        << ", position " << step.position;
    return out.str();
}

} // namespace

namespace {

std::string compare_scans_once(const std::string& bytes, ScanKind kind, long* numbers) {
    if (bytes.empty()) {
        return {}; // a stream over no bytes cannot be opened in memory
    }
    std::string library_copy = bytes;
    std::string file_copy = bytes;
    File library = memory_stream(library_copy);
    File file = memory_stream(file_copy);
    if (!library || !file) {
        return "cannot open a stream in memory";
    }
    TextReader in_memory(bytes.data(), bytes.size());
    TextReader in_blocks(file.get(), 5);
    for (int number = 1;; ++number) {
        const Step expected = take_step(LibrarySide{library.get()}, kind);
        const Step from_memory = take_step(ScannerSide{in_memory}, kind);
        const Step from_blocks = take_step(ScannerSide{in_blocks}, kind);
        if (numbers != nullptr) {
            ++*numbers;
        }
        if (!(from_memory == expected) || !(from_blocks == expected)) {
            std::ostringstream out;
            out << "number " << number << ": " << describe("library", expected) << "; "
                << describe("scanner", from_memory) << "; "
                << describe("scanner in blocks", from_blocks);
            return out.str();
        }
        if (expected.status != 1) {
            return {};
        }
    }
}

} // namespace

std::string compare_scans(const std::string& bytes, ScanKind kind, long* numbers) {
    // With blanks after it, the text is read where the scanners look ahead
    // many bytes at a time, as in the middle of a large file.
    std::string difference = compare_scans_once(bytes, kind, numbers);
    if (difference.empty()) {
        difference = compare_scans_once(bytes + std::string(40, ' '), kind, numbers);
    }
    return difference;
}

namespace {

std::string compare_integer_runs_once(const std::string& bytes) {
    if (bytes.empty()) {
        return {};
    }
    std::string library_copy = bytes;
    File library = memory_stream(library_copy);
    if (!library) {
        return "cannot open a stream in memory";
    }
    std::vector<std::int32_t> expected;
    std::vector<long> positions; // after each call, the failed one included
    int failure = 0;
    for (;;) {
        std::int32_t value = 0;
        const int status = scanf_integer(library.get(), 0, value);
        positions.push_back(std::ftell(library.get()));
        if (status != 1) {
            failure = status;
            break;
        }
        expected.push_back(value);
    }
    const std::size_t converted = expected.size();
    for (const std::size_t count : {converted, converted + 1, converted / 2}) {
        TextReader in(bytes.data(), bytes.size());
        std::vector<std::int32_t> values;
        const int status = static_cast<int>(textscan::scan_integers(in, count, values));
        const std::size_t read = std::min(count, converted);
        const int wanted_status = count <= converted ? 1 : failure;
        const long wanted_position = count == 0 ? 0 : positions[count - 1];
        if (status != wanted_status || values.size() != read ||
            !std::equal(values.begin(), values.end(), expected.begin()) ||
            in.tell() != wanted_position) {
            std::ostringstream out;
            out << "asked for " << count << " of " << converted << ": status " << status
                << " (library " << wanted_status << "), " << values.size() << " values, position "
                << in.tell() << " (library " << wanted_position << ")";
            return out.str();
        }
        TextReader skipping(bytes.data(), bytes.size());
        const int skipped = static_cast<int>(textscan::skip_integers(skipping, count));
        if (skipped != wanted_status || skipping.tell() != wanted_position) {
            std::ostringstream out;
            out << "passing over " << count << " of " << converted << ": status " << skipped
                << " (library " << wanted_status << "), position " << skipping.tell()
                << " (library " << wanted_position << ")";
            return out.str();
        }
    }
    return {};
}

} // namespace

std::string compare_integer_runs(const std::string& bytes) {
    std::string difference = compare_integer_runs_once(bytes);
    if (difference.empty()) {
        difference = compare_integer_runs_once(bytes + std::string(100, ' '));
    }
    return difference;
}

} // namespace testing_support
