// UTF-8 inside, UTF-16 at the Windows system calls.
#pragma once

#include <string>

namespace platform {

std::wstring wide(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

} // namespace platform
