// The running program on POSIX systems: the one pending output and its
// removal when a signal ends the program, the console, and a key read
// without echo from a terminal put into raw mode for it.
#include "platform/platform.hpp"

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

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
    stream_ = open_write_stream(path, "wb");
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

} // namespace platform
