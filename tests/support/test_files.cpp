#include "tests/support/test_files.hpp"

#include <algorithm>
#include <bit>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testing_support {

TempDir::TempDir() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate =
            std::filesystem::temp_directory_path() / ("terrain-test-" + std::to_string(seed()));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// Programs are started the POSIX way; the Windows build runs no program
// of its own under test.
#ifndef _WIN32
namespace {

// With TERRAIN_RECORD_RUNS naming a folder, each run is kept there before it
// starts, so that scripts/compare-builds.py can replay it with two builds: a
// new subfolder holding "files", a copy of the working folder (symbolic links
// kept as links, pipes and devices only listed), "stdin", the standard input,
// and last "manifest", entries of the form "key size\nvalue\n".
void record_run(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& directory, const std::string& input,
                std::uint64_t file_size_limit, const std::vector<std::string>& environment) {
    namespace fs = std::filesystem;
    const char* root = std::getenv("TERRAIN_RECORD_RUNS");
    if (root == nullptr || *root == '\0') {
        return;
    }
    static int counter = 0;
    std::error_code error;
    fs::create_directories(root, error);
    fs::path run;
    do { // two test processes in parallel, and a process id may come again
        run = fs::path(root) / (std::to_string(::getpid()) + "-" + std::to_string(++counter));
    } while (!fs::create_directory(run, error) && !error);
    if (error || !fs::create_directory(run / "files", error)) {
        return;
    }
    std::string manifest;
    const auto entry = [&manifest](const std::string& key, const std::string& value) {
        manifest += key + ' ' + std::to_string(value.size()) + '\n' + value + '\n';
    };
    entry("program", fs::path(program).filename().string());
    entry("path", program);
    entry("directory", directory);
    entry("file_size_limit", std::to_string(file_size_limit));
    for (const std::string& argument : arguments) {
        entry("argument", argument);
    }
    for (const std::string& setting : environment) {
        entry("environment", setting);
    }
    fs::recursive_directory_iterator it(directory, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path name = it->path().lexically_relative(directory);
        const fs::path copy = run / "files" / name;
        std::error_code failed;
        const fs::file_status status = it->symlink_status(failed);
        if (fs::is_symlink(status)) {
            fs::copy_symlink(it->path(), copy, failed);
        } else if (fs::is_directory(status)) {
            fs::create_directory(copy, it->path(), failed);
        } else if (fs::is_regular_file(status)) {
            fs::copy_file(it->path(), copy, failed);
        } else {
            entry(fs::is_fifo(status) ? "fifo" : "special", name.string());
        }
        if (failed) {
            entry("error", name.string() + ": " + failed.message());
        }
    }
    if (error) {
        entry("error", directory + ": " + error.message());
    }
    std::ofstream(run / "stdin", std::ios::binary) << input;
    std::ofstream(run / "manifest", std::ios::binary) << manifest;
}

} // namespace

RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& directory, const std::string& input,
                      std::uint64_t file_size_limit, const std::vector<std::string>& environment) {
    record_run(program, arguments, directory, input, file_size_limit, environment);
    int in_pipe[2];
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe(in_pipe) != 0 || ::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        ::dup2(in_pipe[0], STDIN_FILENO);
        ::dup2(out_pipe[1], STDOUT_FILENO);
        ::dup2(err_pipe[1], STDERR_FILENO);
        for (int fd :
             {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
            ::close(fd);
        }
        if (::chdir(directory.c_str()) != 0) {
            ::_exit(126);
        }
        if (file_size_limit != 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{file_size_limit, file_size_limit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        for (const std::string& setting : environment) {
            ::putenv(const_cast<char*>(setting.c_str()));
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    // Feed the input and drain both outputs together so that no pipe fills up.
    std::signal(SIGPIPE, SIG_IGN);
    RunResult result;
    std::size_t fed = 0;
    int input_fd = in_pipe[1];
    if (input.empty()) {
        ::close(input_fd);
        input_fd = -1;
    }
    bool out_open = true;
    bool err_open = true;
    while (out_open || err_open || input_fd >= 0) {
        pollfd fds[3];
        int count = 0;
        if (out_open) {
            fds[count++] = {out_pipe[0], POLLIN, 0};
        }
        if (err_open) {
            fds[count++] = {err_pipe[0], POLLIN, 0};
        }
        if (input_fd >= 0) {
            fds[count++] = {input_fd, POLLOUT, 0};
        }
        if (::poll(fds, static_cast<nfds_t>(count), 30000) <= 0) {
            break;
        }
        for (int i = 0; i < count; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            if (fds[i].fd == input_fd) {
                const ssize_t wrote = ::write(input_fd, input.data() + fed, input.size() - fed);
                if (wrote > 0) {
                    fed += static_cast<std::size_t>(wrote);
                }
                if (wrote <= 0 || fed == input.size()) {
                    ::close(input_fd);
                    input_fd = -1;
                }
                continue;
            }
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            const bool is_out = fds[i].fd == out_pipe[0];
            if (got <= 0) {
                (is_out ? out_open : err_open) = false;
            } else {
                (is_out ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    if (input_fd >= 0) {
        ::close(input_fd);
    }
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    result.peak_memory_kb = usage.ru_maxrss;
    if (WIFEXITED(status)) {
        result.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exit_status = 128 + WTERMSIG(status);
    }
    return result;
}

namespace {

std::vector<std::string> preloaded(const std::string& library, std::vector<std::string> settings) {
    // A sanitizer runtime would otherwise insist on coming first.
    const char* asan = std::getenv("ASAN_OPTIONS");
    settings.push_back("ASAN_OPTIONS=" + std::string(asan != nullptr ? asan : "") +
                       ":verify_asan_link_order=0");
    settings.push_back("LD_PRELOAD=" + library);
    return settings;
}

} // namespace

std::vector<std::string> failing_open(const std::string& library, const std::string& suffix,
                                      int number) {
    return preloaded(library,
                     {"FAIL_OPEN_SUFFIX=" + suffix, "FAIL_OPEN_NUMBER=" + std::to_string(number)});
}

std::vector<std::string> failing_write(const std::string& library, const std::string& suffix,
                                       int number) {
    return preloaded(
        library, {"FAIL_WRITE_SUFFIX=" + suffix, "FAIL_WRITE_NUMBER=" + std::to_string(number)});
}

std::vector<std::string> interrupted_write(const std::string& library, const std::string& suffix,
                                           int number, int signal_number) {
    return preloaded(library, {"INTERRUPT_WRITE_SUFFIX=" + suffix,
                               "INTERRUPT_WRITE_NUMBER=" + std::to_string(number),
                               "INTERRUPT_SIGNAL=" + std::to_string(signal_number)});
}

#endif

std::string error_line(const std::string& text) {
    return "ERROR: " + text + "\n";
}

namespace {} // namespace

std::string dtm_header_bytes(const ExpectedHeader& h) {
    std::string description = h.description;
    description.resize(61, '\0');
    std::string out = std::string("VORDA-PC BINARY .DTM", 21) + description;
    append_le(out, h.version);
    for (double v :
         {h.x_origin, h.y_origin, h.z_min, h.z_max, h.rotation, h.x_spacing, h.y_spacing}) {
        append_le(out, v);
    }
    append_le(out, h.columns);
    append_le(out, h.rows);
    for (std::int16_t v : {h.xy_units, h.z_units, h.data_type, h.coord_system, h.coord_zone}) {
        append_le(out, v);
    }
    return out + std::string(40, '\0');
}

namespace {

template <typename Value>
Value le_field(const std::string& bytes, std::size_t offset) {
    if (offset + sizeof(Value) > bytes.size()) {
        throw std::out_of_range("field beyond the end of the file");
    }
    return dtm::load_le<Value>(bytes.data() + offset);
}

} // namespace

std::int16_t le_int16(const std::string& bytes, std::size_t offset) {
    return le_field<std::int16_t>(bytes, offset);
}

std::int32_t le_int32(const std::string& bytes, std::size_t offset) {
    return le_field<std::int32_t>(bytes, offset);
}

float le_float32(const std::string& bytes, std::size_t offset) {
    return le_field<float>(bytes, offset);
}

double le_float64(const std::string& bytes, std::size_t offset) {
    return le_field<double>(bytes, offset);
}

bool StringSink::write(const void* data, std::size_t size) {
    if (position_ + size > limit_) {
        return false;
    }
    if (bytes_.size() < position_ + size) {
        bytes_.resize(position_ + size, '\0');
    }
    bytes_.replace(position_, size, static_cast<const char*>(data), size);
    position_ += size;
    return true;
}

bool StringSink::seek(std::uint64_t offset) {
    position_ = static_cast<std::size_t>(offset);
    return true;
}

dtm::DtmHeader sample_dtm_header() {
    dtm::DtmHeader header;
    dtm::set_dtm_signature(header);
    dtm::set_dtm_description(header, "NAME");
    header.version = 2.0f;
    header.x_origin = 1000.5;
    header.y_origin = -2.25;
    header.z_min = 1.0;
    header.z_max = 4000.0;
    header.rotation = 0.125;
    header.x_spacing = 30.0;
    header.y_spacing = 10.0;
    header.column_count = 3;
    header.row_count = 2;
    header.xy_units = 1;
    header.z_units = 0;
    header.data_type = dtm::DTM_INT16;
    header.coord_system = 1;
    header.coord_zone = -7;
    return header;
}

dtm::DtmHeader float_grid_header(std::int32_t columns, std::int32_t rows) {
    dtm::DtmHeader header;
    header.column_count = columns;
    header.row_count = rows;
    header.x_spacing = 30.0;
    header.y_spacing = 30.0;
    header.data_type = dtm::DTM_FLOAT32;
    return header;
}

std::size_t last_number_readable_from(const std::string& record) {
    const std::size_t end = record.find_last_not_of(" \r\n");
    std::size_t start = record.find_last_of(' ', end) + 1;
    if (record[start] == '-' || record[start] == '+') {
        ++start;
    }
    return start + 1;
}

dtm::DtmReadStatus StringSink::header(dtm::DtmHeader& header) const {
    dtm::DtmFileFacts facts;
    const auto data = reinterpret_cast<const std::uint8_t*>(bytes_.data());
    return dtm::check_dtm_header({data, bytes_.size()}, bytes_.size(), header, facts);
}

void MemoryReporter::error(std::string_view text) {
    text_ += error_line(std::string(text));
}

std::optional<int> MemoryReporter::read_key() {
    if (next_key_ == keys_.size()) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(keys_[next_key_++]);
}

} // namespace testing_support
