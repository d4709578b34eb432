#include "cli/platform.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

bool close_file(UniqueFile& file) {
    std::FILE* raw = file.release();
    if (raw == nullptr) {
        return false;
    }
    const bool had_error = std::ferror(raw) != 0;
    const bool closed = std::fclose(raw) == 0;
    return closed && !had_error;
}

namespace {

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equal_ignoring_case(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || lower_ascii(a[i]) != lower_ascii(b[i])) {
            return false;
        }
    }
    return b[i] == '\0';
}

// The entry of `directory` whose name equals `name` ignoring ASCII case; of
// several, the smallest byte-wise, so that the choice does not depend on the
// order in which the directory lists its entries.
std::optional<std::string> find_entry_ignoring_case(const std::string& directory,
                                                    const std::string& name) {
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        if (equal_ignoring_case(name, entry->d_name)) {
            std::string candidate = entry->d_name;
            if (!best || candidate < *best) {
                best = std::move(candidate);
            }
        }
    }
    ::closedir(dir);
    return best;
}

int open_flags_for(const char* mode) {
    const std::string m = mode;
    if (m.find('+') != std::string::npos) {
        return O_RDWR;
    }
    if (m[0] == 'w') {
        return O_WRONLY | O_CREAT | O_TRUNC;
    }
    return O_RDONLY;
}

// Opens without blocking (a FIFO without a peer would otherwise wait
// forever), refuses directories, then hands the descriptor to a stream.
UniqueFile open_stream(const std::string& path, const char* mode) {
    const std::string resolved = resolve_path(path);
    if (resolved.empty()) {
        return nullptr;
    }
    int fd = ::open(resolved.c_str(), open_flags_for(mode) | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    std::FILE* stream = ::fdopen(fd, mode);
    if (stream == nullptr) {
        ::close(fd);
        return nullptr;
    }
    return UniqueFile(stream);
}

} // namespace

std::string resolve_path(const std::string& path) {
    std::string result;
    std::size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        result.push_back('/');
        pos = 1;
    }
    while (pos <= path.size()) {
        const std::size_t next = path.find('/', pos);
        const bool last = next == std::string::npos;
        std::string component = path.substr(pos, last ? std::string::npos : next - pos);
        if (!component.empty() && component != "." && component != "..") {
            struct stat info {};
            const std::string exact = result + component;
            if (::lstat(exact.c_str(), &info) != 0) {
                if (auto match = find_entry_ignoring_case(result, component)) {
                    component = *match;
                }
            }
        }
        result += component;
        if (last) {
            break;
        }
        result += '/';
        pos = next + 1;
    }
    return result;
}

bool path_exists(const std::string& path) {
    struct stat info {};
    const std::string resolved = resolve_path(path);
    return !resolved.empty() && ::stat(resolved.c_str(), &info) == 0;
}

bool path_readable(const std::string& path) {
    const std::string resolved = resolve_path(path);
    return !resolved.empty() && ::access(resolved.c_str(), R_OK) == 0;
}

bool same_file(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    const std::string ra = resolve_path(a);
    const std::string rb = resolve_path(b);
    if (ra.empty() || rb.empty() || ::stat(ra.c_str(), &first) != 0 ||
        ::stat(rb.c_str(), &second) != 0) {
        return false;
    }
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

UniqueFile open_read_stream(const std::string& path, const char* mode) {
    return open_stream(path, mode);
}

UniqueFile open_write_stream(const std::string& path, const char* mode) {
    return open_stream(path, mode);
}

std::optional<std::uint64_t> file_size(std::FILE* stream) {
    struct stat info {};
    if (::fstat(::fileno(stream), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
}

std::optional<std::uint64_t> regular_file_size(std::FILE* stream) {
    struct stat info {};
    if (::fstat(::fileno(stream), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::uint64_t> tell(std::FILE* stream) {
    const off_t position = ::ftello(stream);
    if (position < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(position);
}

bool seek(std::FILE* stream, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        return false;
    }
    return ::fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

namespace {

// The pending output as the signal handlers see it: the name and identity
// are written while the signals are blocked, before `output_pending` is set.
char output_path[PATH_MAX];
dev_t output_device = 0;
ino_t output_inode = 0;
volatile std::sig_atomic_t output_pending = 0;

constexpr std::array<int, 3> INTERRUPTIONS = {SIGINT, SIGTERM, SIGHUP};

// Keeps the interruptions waiting while the pending output changes.
class InterruptionsBlocked {
  public:
    InterruptionsBlocked() {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (const int signal_number : INTERRUPTIONS) {
            sigaddset(&blocked, signal_number);
        }
        ::sigprocmask(SIG_BLOCK, &blocked, &previous_);
    }
    ~InterruptionsBlocked() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    InterruptionsBlocked(const InterruptionsBlocked&) = delete;
    InterruptionsBlocked& operator=(const InterruptionsBlocked&) = delete;

  private:
    sigset_t previous_{};
};

// Safe in a signal handler: lstat and unlink only.
void remove_pending_output() {
    struct stat info {};
    if (output_pending != 0 && ::lstat(output_path, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_dev == output_device && info.st_ino == output_inode) {
        ::unlink(output_path);
    }
    output_pending = 0;
}

} // namespace

OutputFile::~OutputFile() {
    if (pending_) {
        const InterruptionsBlocked blocked;
        stream_.reset();
        remove_pending_output();
    }
}

bool OutputFile::create(const std::string& path) {
    const InterruptionsBlocked blocked;
    output_pending = 0;
    stream_ = open_stream(path, "wb");
    struct stat info {};
    if (!stream_ || ::fstat(::fileno(stream_.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        return static_cast<bool>(stream_);
    }
    // Through a link, the file written is its target; the link stays.
    const std::unique_ptr<char, decltype(&std::free)> target(
        ::realpath(resolve_path(path).c_str(), nullptr), &std::free);
    if (target && std::strlen(target.get()) < sizeof output_path) {
        std::strcpy(output_path, target.get());
        output_device = info.st_dev;
        output_inode = info.st_ino;
        output_pending = 1;
    }
    pending_ = true;
    return true;
}

bool OutputFile::commit() {
    const bool complete = close_file(stream_);
    if (!complete) {
        return false; // the destructor removes it
    }
    const InterruptionsBlocked blocked;
    if (pending_) {
        output_pending = 0;
        pending_ = false;
    }
    return true;
}

PathParts split_path(const std::string& path) {
    PathParts parts;
    const std::size_t slash = path.rfind('/');
    const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    parts.directory = path.substr(0, name_start);
    const std::string name = path.substr(name_start);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        parts.base = name;
    } else {
        parts.base = name.substr(0, dot);
        parts.extension = name.substr(dot);
    }
    return parts;
}

std::string join_path(const PathParts& parts) {
    return parts.directory + parts.base + parts.extension;
}

std::string to_lower_ascii(std::string text) {
    for (char& c : text) {
        c = lower_ascii(c);
    }
    return text;
}

std::string to_upper_ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

void flush_console() {
    std::fflush(stdout);
}

void prepare_console() {
    // A reader that goes away (a pipe into head) must not end a conversion:
    // console writes then fail quietly, as every console write may.
    std::signal(SIGPIPE, SIG_IGN);
}

namespace {

// The terminal settings in force before a key read and the raw ones used
// for it; the signal handlers below put the former back whenever the
// program stops or ends while it waits for the key.
struct termios saved_terminal {};
struct termios raw_terminal {};

volatile std::sig_atomic_t terminal_changed = 0;

// Ends the program by the signal it received, as the default action would,
// after putting back the terminal and removing the pending output.
void end_by_signal(int signal_number) {
    if (terminal_changed != 0) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
    }
    remove_pending_output();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void restore_terminal_while_suspended(int) {
    const int saved_errno = errno;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
    ::kill(::getpid(), SIGSTOP);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &raw_terminal);
    errno = saved_errno;
}

// Non-canonical input without echo for the lifetime of the object.
class RawTerminal {
  public:
    RawTerminal() {
        raw_terminal = saved_terminal;
        raw_terminal.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw_terminal.c_cc[VMIN] = 1;
        raw_terminal.c_cc[VTIME] = 0;
        for (std::size_t i = 0; i < ENDING_SIGNALS.size(); ++i) {
            install(ENDING_SIGNALS[i], end_by_signal, previous_[i]);
        }
        install(SIGTSTP, restore_terminal_while_suspended, previous_suspend_);
        terminal_changed = 1;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &raw_terminal);
    }
    ~RawTerminal() {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
        terminal_changed = 0;
        for (std::size_t i = 0; i < ENDING_SIGNALS.size(); ++i) {
            ::sigaction(ENDING_SIGNALS[i], &previous_[i], nullptr);
        }
        ::sigaction(SIGTSTP, &previous_suspend_, nullptr);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

  private:
    static constexpr std::array<int, 4> ENDING_SIGNALS = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

    static void install(int signal_number, void (*handler)(int), struct sigaction& previous) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal_number, &action, &previous);
    }

    std::array<struct sigaction, ENDING_SIGNALS.size()> previous_{};
    struct sigaction previous_suspend_ {};
};

// One byte from standard input; std::nullopt at the end of the input or on
// an error that is not an interruption.
std::optional<unsigned char> read_byte() {
    unsigned char byte = 0;
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got == 1) {
            return byte;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return std::nullopt;
    }
}

// A byte that follows within a short time, as the rest of an escape
// sequence does; std::nullopt when none comes.
std::optional<unsigned char> read_following_byte() {
    pollfd request{STDIN_FILENO, POLLIN, 0};
    if (::poll(&request, 1, 50) <= 0) {
        return std::nullopt;
    }
    return read_byte();
}

// Consumes the rest of an escape sequence whose ESC has been read: CSI
// sequences (ESC [ ... final byte), SS3 sequences (ESC O x) and an ESC
// followed by a single key (Alt combinations).
void consume_escape_sequence() {
    const auto introducer = read_following_byte();
    if (!introducer) {
        return;
    }
    if (*introducer == 'O') {
        read_following_byte();
        return;
    }
    if (*introducer != '[') {
        return;
    }
    for (int i = 0; i < 32; ++i) {
        const auto byte = read_following_byte();
        if (!byte || (*byte >= 0x40 && *byte <= 0x7E)) {
            return;
        }
    }
}

constexpr int ESCAPE = 0x1B;
constexpr int SPECIAL_KEY = 256 + ESCAPE;

std::optional<int> read_terminal_key() {
    if (::tcgetattr(STDIN_FILENO, &saved_terminal) != 0) {
        const auto byte = read_byte();
        return byte ? std::optional<int>(*byte) : std::nullopt;
    }
    RawTerminal raw;
    const auto byte = read_byte();
    if (!byte) {
        return std::nullopt;
    }
    if (*byte == ESCAPE) {
        consume_escape_sequence();
        return SPECIAL_KEY;
    }
    return *byte;
}

} // namespace

void clean_up_on_interruption() {
    for (const int signal_number : INTERRUPTIONS) {
        struct sigaction previous {};
        ::sigaction(signal_number, nullptr, &previous);
        // A signal the caller told the program to ignore (nohup) stays ignored.
        if (previous.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = end_by_signal;
        sigemptyset(&action.sa_mask);
        for (const int other : INTERRUPTIONS) {
            sigaddset(&action.sa_mask, other);
        }
        ::sigaction(signal_number, &action, nullptr);
    }
}

bool is_terminal(std::FILE* stream) {
    if (stream == nullptr) {
        return false;
    }
    const int descriptor = ::fileno(stream);
    return descriptor >= 0 && ::isatty(descriptor) != 0;
}

std::optional<int> read_console_key() {
    if (::isatty(STDIN_FILENO) != 0) {
        return read_terminal_key();
    }
    const auto byte = read_byte();
    return byte ? std::optional<int>(*byte) : std::nullopt;
}

std::optional<std::uint64_t> free_disk_space(const std::string& directory) {
    struct statvfs info {};
    const std::string place = directory.empty() ? "." : resolve_path(directory);
    if (::statvfs(place.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

namespace {

constexpr std::size_t HUGE_PAGE = std::size_t{2} << 20;

// Where an empty array points.
alignas(16) unsigned char empty_array[16];

} // namespace

LargeMemory::LargeMemory(std::size_t bytes) {
    if (bytes == 0) {
        data_ = empty_array;
        return;
    }
    if (bytes > SIZE_MAX - 2 * HUGE_PAGE) {
        return;
    }
    // A huge page more than asked for, so that the array can start on a
    // huge-page boundary.
    const std::size_t length = bytes + HUGE_PAGE;
    void* mapping =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        return;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t aligned = (address + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE); // a hint; may be refused
    mapping_ = mapping;
    mapped_bytes_ = length;
    data_ = reinterpret_cast<void*>(aligned);
}

LargeMemory::~LargeMemory() {
    release();
}

LargeMemory::LargeMemory(LargeMemory&& other) noexcept {
    *this = std::move(other);
}

LargeMemory& LargeMemory::operator=(LargeMemory&& other) noexcept {
    if (this != &other) {
        release();
        data_ = other.data_;
        mapping_ = other.mapping_;
        mapped_bytes_ = other.mapped_bytes_;
        other.data_ = nullptr;
        other.mapping_ = nullptr;
        other.mapped_bytes_ = 0;
    }
    return *this;
}

void LargeMemory::release() {
    if (mapping_ != nullptr) {
        ::munmap(mapping_, mapped_bytes_);
    }
    data_ = nullptr;
    mapping_ = nullptr;
    mapped_bytes_ = 0;
}

} // namespace platform
