// Memory for a converter's grid on POSIX systems, in huge pages where the
// system offers them.
#include "platform/platform.hpp"

#include <cstdint>
#include <sys/mman.h>
#include <utility>

namespace platform {

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
