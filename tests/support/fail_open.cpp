// Preloaded into a program under test to make one of its file openings fail
// later, at the first write: the opening numbered FAIL_OPEN_NUMBER (from 1)
// among those of a path ending in FAIL_OPEN_SUFFIX gets /dev/full instead,
// so that everything written through it fails with "no space left".
// Or to make one of its writes fail: the fwrite call numbered
// FAIL_WRITE_NUMBER into a file ending in FAIL_WRITE_SUFFIX writes nothing
// and reports "no space left". Or to interrupt it while it writes: the
// fwrite call numbered INTERRUPT_WRITE_NUMBER into a file ending in
// INTERRUPT_WRITE_SUFFIX writes half its data, then the program receives
// the signal INTERRUPT_SIGNAL.
// Both entry points are defined here, so open must not be renamed open64.
#undef _FILE_OFFSET_BITS

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace {

std::atomic<int> matching_opens{0};

const char* substitute(const char* path) {
    const char* suffix = std::getenv("FAIL_OPEN_SUFFIX");
    const char* number = std::getenv("FAIL_OPEN_NUMBER");
    if (path == nullptr || suffix == nullptr || number == nullptr ||
        !std::string_view(path).ends_with(suffix)) {
        return path;
    }
    return ++matching_opens == std::atoi(number) ? "/dev/full" : path;
}

using OpenFunction = int (*)(const char*, int, ...);

int forward(const char* name, const char* path, int flags, mode_t mode) {
    static OpenFunction real_open = reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, "open"));
    static OpenFunction real_open64 = reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, "open64"));
    const OpenFunction real = std::strcmp(name, "open") == 0 ? real_open : real_open64;
    const char* opened = substitute(path);
    if (opened != path) {
        flags &= ~(O_CREAT | O_EXCL | O_TRUNC | O_NOFOLLOW);
    }
    return real(opened, flags, mode);
}

std::atomic<int> matching_writes{0};
std::atomic<int> failing_writes{0};

bool writes_to(std::FILE* stream, const char* suffix) {
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", ::fileno(stream));
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length < 0) {
        return false;
    }
    target[length] = '\0';
    return std::string_view(target).ends_with(suffix);
}

} // namespace

extern "C" std::size_t fwrite(const void* data, std::size_t size, std::size_t count,
                              std::FILE* stream) {
    using WriteFunction = std::size_t (*)(const void*, std::size_t, std::size_t, std::FILE*);
    static const auto real_fwrite = reinterpret_cast<WriteFunction>(dlsym(RTLD_NEXT, "fwrite"));
    const char* fail_suffix = std::getenv("FAIL_WRITE_SUFFIX");
    const char* fail_number = std::getenv("FAIL_WRITE_NUMBER");
    if (fail_suffix != nullptr && fail_number != nullptr && writes_to(stream, fail_suffix) &&
        ++failing_writes == std::atoi(fail_number)) {
        errno = ENOSPC;
        return 0;
    }
    const char* suffix = std::getenv("INTERRUPT_WRITE_SUFFIX");
    const char* number = std::getenv("INTERRUPT_WRITE_NUMBER");
    const char* signal_number = std::getenv("INTERRUPT_SIGNAL");
    if (suffix != nullptr && number != nullptr && signal_number != nullptr &&
        writes_to(stream, suffix) && ++matching_writes == std::atoi(number)) {
        // The rest follows when the program lives on (the signal ignored).
        const std::size_t half = real_fwrite(data, size, count / 2, stream);
        std::fflush(stream);
        ::kill(::getpid(), std::atoi(signal_number));
        return half + real_fwrite(static_cast<const char*>(data) + half * size, size, count - half,
                                  stream);
    }
    return real_fwrite(data, size, count, stream);
}

extern "C" int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const auto mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
    return forward("open", path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const auto mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
    return forward("open64", path, flags, mode);
}
