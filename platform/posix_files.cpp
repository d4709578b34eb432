// Files and names on POSIX systems: streams, sizes and positions, names
// matched ignoring case as the tools' home file systems match them, file
// identity, path parts and free space.
#include "platform/platform.hpp"
#include "platform/system_names.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace platform {

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

std::size_t file_name_start(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::vector<std::string> program_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string native_line_ends(std::string text) {
    return text;
}

std::optional<std::uint64_t> free_disk_space(const std::string& directory) {
    struct statvfs info {};
    const std::string place = directory.empty() ? "." : resolve_path(directory);
    if (::statvfs(place.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

} // namespace platform
