// Memory for a converter's grid on POSIX systems, in huge pages where the
// system offers them.
#include "platform/platform.hpp"

#include <cstdint>
#include <sys/mman.h>

namespace platform {

namespace {

constexpr std::size_t HUGE_PAGE = std::size_t{2} << 20;

} // namespace

void LargeMemory::map(std::size_t bytes) {
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

void LargeMemory::unmap() {
    ::munmap(mapping_, mapped_bytes_);
}

} // namespace platform
