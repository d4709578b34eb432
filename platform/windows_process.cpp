// The running program on Windows: the one pending output, removed (by its
// own handle, so never another file put under its name, a device or a
// folder) when the output is given up or when Ctrl-C, Ctrl-Break or the
// closing of the console window end the program; the console, written in
// UTF-8; and a key read without echo from a console.
#include "platform/platform.hpp"

// windows.h first: the other Windows headers stand on it.
#include <windows.h>

#include <atomic>
#include <io.h>

#include "platform/windows_text.hpp"

namespace platform {

namespace {

// The handle of the pending output, INVALID_HANDLE_VALUE for none.
std::atomic<HANDLE> pending_output{INVALID_HANDLE_VALUE};

// Marks the file for deletion; it goes when its last handle is closed.
void delete_by_handle(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// The console input mode in force before a key read, put back when the
// program ends during it.
std::atomic<bool> console_mode_changed{false};
DWORD saved_console_mode = 0;

BOOL WINAPI end_by_control(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        break;
    default:
        return FALSE;
    }
    if (console_mode_changed) {
        ::SetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), saved_console_mode);
    }
    const HANDLE output = pending_output.exchange(INVALID_HANDLE_VALUE);
    if (output != INVALID_HANDLE_VALUE) {
        delete_by_handle(output);
    }
    ::ExitProcess(CONTROL_C_EXIT); // 0xC000013A, as Windows ends a program on Ctrl-C
}

} // namespace

OutputFile::~OutputFile() {
    if (pending_) {
        const HANDLE output = pending_output.exchange(INVALID_HANDLE_VALUE);
        if (output != INVALID_HANDLE_VALUE) {
            delete_by_handle(output);
        }
        stream_.reset();
    }
}

bool OutputFile::create(const std::string& path) {
    pending_output = INVALID_HANDLE_VALUE;
    stream_ = open_write_stream(path, "wb");
    if (!stream_) {
        return false;
    }
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream_.get())));
    if (::GetFileType(handle) == FILE_TYPE_DISK) {
        pending_output = handle;
        pending_ = true;
    }
    return true;
}

bool OutputFile::commit() {
    if (pending_) {
        pending_output = INVALID_HANDLE_VALUE;
    }
    const bool complete = close_file(stream_);
    if (!complete) {
        return false; // the destructor removes it
    }
    pending_ = false;
    return true;
}

void clean_up_on_interruption() {
    ::SetConsoleCtrlHandler(end_by_control, TRUE);
}

void flush_console() {
    std::fflush(stdout);
}

void prepare_console() {
    // Names and text in UTF-8 show as they are on the console.
    ::SetConsoleOutputCP(CP_UTF8);
}

bool is_terminal(std::FILE* stream) {
    if (stream == nullptr) {
        return false;
    }
    DWORD mode = 0;
    return ::GetConsoleMode(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream))), &mode) !=
           0;
}

std::optional<int> read_console_key() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(input, &mode) == 0) {
        // Not a console: a byte at a time, as on Linux.
        unsigned char byte = 0;
        return ::_read(0, &byte, 1) == 1 ? std::optional<int>(byte) : std::nullopt;
    }
    saved_console_mode = mode;
    console_mode_changed = true;
    ::SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
    std::optional<int> key;
    for (;;) {
        INPUT_RECORD record{};
        DWORD read = 0;
        if (!::ReadConsoleInputW(input, &record, 1, &read) || read == 0) {
            break;
        }
        if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) {
            continue;
        }
        const KEY_EVENT_RECORD& event = record.Event.KeyEvent;
        if (event.uChar.UnicodeChar != 0) {
            key = static_cast<int>(event.uChar.UnicodeChar);
            break;
        }
        // A key without a character (an arrow, a function key), taken whole;
        // shift and the like alone are no key.
        if (event.wVirtualKeyCode != VK_SHIFT && event.wVirtualKeyCode != VK_CONTROL &&
            event.wVirtualKeyCode != VK_MENU) {
            key = 256 + static_cast<int>(event.wVirtualKeyCode);
            break;
        }
    }
    ::SetConsoleMode(input, saved_console_mode);
    console_mode_changed = false;
    return key;
}

} // namespace platform
