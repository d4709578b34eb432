// Preloaded into a program under test to make one of its file openings fail
// later, at the first write: the opening numbered FAIL_OPEN_NUMBER (from 1)
// among those of a path ending in FAIL_OPEN_SUFFIX gets /dev/full instead,
// so that everything written through it fails with "no space left".
// Both entry points are defined here, so open must not be renamed open64.
#undef _FILE_OFFSET_BITS

#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string_view>

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

} // namespace

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
