// The parts of the platform layer that are the same on every system.
#include "platform/platform.hpp"
#include "platform/system_names.hpp"

#include <utility>

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

PathParts split_path(const std::string& path) {
    PathParts parts;
    const std::size_t name_start = file_name_start(path);
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
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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

namespace {

// Where an empty array points.
alignas(16) unsigned char empty_array[16];

} // namespace

LargeMemory::LargeMemory(std::size_t bytes) {
    if (bytes == 0) {
        data_ = empty_array;
        return;
    }
    map(bytes);
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
        unmap();
    }
    data_ = nullptr;
    mapping_ = nullptr;
    mapped_bytes_ = 0;
}

} // namespace platform
