// Memory for a converter's grid on Windows, taken from the system directly.
#include "platform/platform.hpp"

// windows.h first: the other Windows headers stand on it.
#include <windows.h>

namespace platform {

void LargeMemory::map(std::size_t bytes) {
    void* mapping = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (mapping == nullptr) {
        return;
    }
    mapping_ = mapping;
    mapped_bytes_ = bytes;
    data_ = mapping;
}

void LargeMemory::unmap() {
    ::VirtualFree(mapping_, 0, MEM_RELEASE);
}

} // namespace platform
