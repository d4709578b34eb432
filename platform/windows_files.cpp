// Files and names on Windows: UTF-8 names turned into UTF-16 at the system
// calls, streams opened in binary mode (a text file read keeps its CR LF
// and Ctrl-Z, as on Linux; a text file written gets CR LF), sizes and
// positions in 64 bits, identity by volume and file index, path parts with
// either separator and a drive, and free space. The file system ignores
// the case of names itself.
#include "platform/platform.hpp"

// windows.h first: the other Windows headers stand on it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include "platform/system_names.hpp"
#include "platform/windows_text.hpp"

namespace platform {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int count =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(count), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                          count);
    return out;
}

std::string narrow(const std::wstring& utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int count = ::WideCharToMultiByte(
        CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(),
                          count, nullptr, nullptr);
    return out;
}

std::vector<std::string> program_arguments(int, char**) {
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; words != nullptr && i < count; ++i) {
        arguments.push_back(narrow(words[i]));
    }
    ::LocalFree(words);
    return arguments;
}

std::string resolve_path(const std::string& path) {
    return path;
}

bool path_exists(const std::string& path) {
    return ::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool path_readable(const std::string& path) {
    return ::_waccess(wide(path).c_str(), 4) == 0;
}

namespace {

// The volume and index of a file, the identity of what a name denotes.
bool identity_of(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE handle =
        ::CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool got = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    return got;
}

} // namespace

bool same_file(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    return identity_of(a, first) && identity_of(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

namespace {

UniqueFile open_stream(const std::string& path, const char* mode, bool text) {
    const std::string m = mode;
    const bool update = m.find('+') != std::string::npos;
    const bool write = m[0] == 'w';
    // An output may be deleted through its own handle, so that an
    // interruption removes exactly the file written (a device takes no such
    // right); everything is shared for deletion too.
    const std::wstring name = wide(path);
    const auto open = [&](DWORD access) {
        return ::CreateFileW(name.c_str(), access,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE handle = open(write || update ? GENERIC_READ | GENERIC_WRITE | DELETE : GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE && (write || update)) {
        handle = open(GENERIC_READ | GENERIC_WRITE);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    int flags = text ? _O_TEXT : _O_BINARY;
    if (!write && !update) {
        flags |= _O_RDONLY;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        ::CloseHandle(handle);
        return nullptr;
    }
    const std::string stream_mode =
        (update ? std::string(write ? "w+" : "r+") : std::string(write ? "w" : "r")) +
        (text ? "t" : "b");
    std::FILE* stream = ::_fdopen(fd, stream_mode.c_str());
    if (stream == nullptr) {
        ::_close(fd);
        return nullptr;
    }
    return UniqueFile(stream);
}

} // namespace

UniqueFile open_read_stream(const std::string& path, const char* mode) {
    return open_stream(path, mode, false);
}

UniqueFile open_write_stream(const std::string& path, const char* mode) {
    // Text written on Windows ends its lines with CR LF.
    const std::string m = mode;
    return open_stream(path, mode, m.find('b') == std::string::npos);
}

std::optional<std::uint64_t> file_size(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        return 0;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<std::uint64_t> regular_file_size(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    if (handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    return file_size(stream);
}

std::optional<std::uint64_t> tell(std::FILE* stream) {
    const long long position = ::_ftelli64(stream);
    if (position < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(position);
}

bool seek(std::FILE* stream, std::uint64_t offset) {
    return offset <= static_cast<std::uint64_t>(INT64_MAX) &&
           ::_fseeki64(stream, static_cast<long long>(offset), SEEK_SET) == 0;
}

std::size_t file_name_start(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos) {
        return separator + 1;
    }
    return path.size() >= 2 && path[1] == ':' ? 2 : 0; // "C:name": the drive's current folder
}

std::string native_line_ends(std::string text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') {
            out.push_back('\r');
        }
        out.push_back(c);
    }
    return out;
}

std::optional<std::uint64_t> free_disk_space(const std::string& directory) {
    ULARGE_INTEGER available{};
    const std::wstring place = directory.empty() ? std::wstring(L".") : wide(directory);
    if (!::GetDiskFreeSpaceExW(place.c_str(), &available, nullptr, nullptr)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(available.QuadPart);
}

} // namespace platform
