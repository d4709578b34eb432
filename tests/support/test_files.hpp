// Temporary folders, whole-file reads and writes, and running a built
// program in a folder with its standard input and output captured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "dtmfile/endian.hpp"

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
    int exit_status = -1;    // exit code, or 128 + signal number
    std::string out;         // standard output
    std::string err;         // standard error
    long peak_memory_kb = 0; // largest resident set of the program
};

// Runs `program` with `arguments` in folder `directory`, feeding `input` on
// standard input (closed after it). Standard error is captured apart. A
// nonzero `file_size_limit` caps the files it writes (with SIGXFSZ ignored,
// so that a write past it fails); `environment` adds NAME=VALUE settings.
RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& directory, const std::string& input = {},
                      std::uint64_t file_size_limit = 0,
                      const std::vector<std::string>& environment = {});

// The settings under which the program's opening number `number` of a file
// whose name ends in `suffix` gets /dev/full instead, so that writing
// through it fails. Needs the preloaded library FAIL_OPEN_LIBRARY.
std::vector<std::string> failing_open(const std::string& library, const std::string& suffix,
                                      int number);

// The settings under which the program's fwrite call number `number` into a
// file whose name ends in `suffix` fails. Needs the same preloaded library.
std::vector<std::string> failing_write(const std::string& library, const std::string& suffix,
                                       int number);

// The settings under which the program's fwrite call number `number` into a
// file whose name ends in `suffix` writes half its data, then the program
// receives `signal_number`. Needs the same preloaded library.
std::vector<std::string> interrupted_write(const std::string& library, const std::string& suffix,
                                           int number, int signal_number);

// "ERROR: " + text + newline, as the tools print an error.
std::string error_line(const std::string& text);

// The fields of a DTM header as a test expects them.
struct ExpectedHeader {
    std::string description;
    float version = 0.0f;
    double x_origin = 0, y_origin = 0, z_min = 0, z_max = 0, rotation = 0;
    double x_spacing = 0, y_spacing = 0;
    std::int32_t columns = 0, rows = 0;
    std::int16_t xy_units = 0, z_units = 0, data_type = 0, coord_system = 0, coord_zone = 0;
};

// The first 200 bytes of a DTM file: the header and the zero reserved bytes.
std::string dtm_header_bytes(const ExpectedHeader& header);

// Appends the value's bytes, least significant first.
template <typename Value>
void append_le(std::string& out, Value value) {
    char raw[sizeof value];
    dtm::store_le(raw, value);
    out.append(raw, sizeof value);
}

// A DTM file: the header as the library serialises it, the 40 zero
// reserved bytes, then the cells in file order.
template <typename Cell>
std::string dtm_file(const dtm::DtmHeader& header, const std::vector<Cell>& cells) {
    const auto bytes = dtm::serialize_dtm_header(header);
    std::string out(bytes.begin(), bytes.end());
    out.append(dtm::DTM_DATA_OFFSET - dtm::DTM_HEADER_SIZE, '\0');
    for (const Cell cell : cells) {
        append_le(out, cell);
    }
    return out;
}

// What a DTM writer writes, kept in memory: the bytes at the offsets they
// were written to.
// An output in memory; writes past `limit` bytes fail, as on a full disk.
class StringSink : public dtm::OutputSink {
  public:
    explicit StringSink(std::size_t limit = SIZE_MAX) : limit_(limit) {}
    bool write(const void* data, std::size_t size) override;
    bool seek(std::uint64_t offset) override;
    bool flush() override { return true; }
    bool commit() override { return committed_ = true; }

    const std::string& bytes() const { return bytes_; }
    bool committed() const { return committed_; }
    // The DTM header the bytes begin with, and how its checks end.
    dtm::DtmReadStatus header(dtm::DtmHeader& header) const;

  private:
    std::string bytes_;
    std::size_t position_ = 0;
    std::size_t limit_;
    bool committed_ = false;
};

// Console lines in memory, error lines as print_error writes them; the
// keys answer questions one by one, and then the input has ended.
class MemoryReporter : public cli::Reporter {
  public:
    explicit MemoryReporter(std::string keys = {}) : keys_(std::move(keys)) {}
    void info(std::string_view text) override { text_ += text; }
    void error(std::string_view text) override;
    std::optional<int> read_key() override;

    const std::string& text() const { return text_; }

  private:
    std::string text_;
    std::string keys_;
    std::size_t next_key_ = 0;
};

// A header with a value in every field: 3 x 2 int16 cells in version 2.00.
dtm::DtmHeader sample_dtm_header();

// A grid of float32 cells, 30 units apart, the other fields zero.
dtm::DtmHeader float_grid_header(std::int32_t columns, std::int32_t rows);

// Where a formatted read of the last number of a text record can first
// succeed: one byte past the start of its digits (past its sign, if any).
std::size_t last_number_readable_from(const std::string& record);

// Little-endian field readers for checking output bytes.
std::int16_t le_int16(const std::string& bytes, std::size_t offset);
std::int32_t le_int32(const std::string& bytes, std::size_t offset);
float le_float32(const std::string& bytes, std::size_t offset);
double le_float64(const std::string& bytes, std::size_t offset);

} // namespace testing_support
