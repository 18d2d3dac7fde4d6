#include "platform/ConsoleOutput.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

namespace {

// A console takes UTF-16, whatever its code page; at most this many units
// per call, as older consoles refuse long writes.
constexpr DWORD kConsoleChunk = 8192;

bool writeConsole(HANDLE console, const char* utf8, size_t length)
{
    const int size = static_cast<int>(length);
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8, size, nullptr, 0);
    if (units <= 0)
        return length == 0;
    std::wstring text(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, size, &text[0], units);
    for (size_t at = 0; at < text.size();) {
        const size_t left = text.size() - at;
        DWORD count = left < kConsoleChunk ? static_cast<DWORD>(left) : kConsoleChunk;
        // Never split a surrogate pair between two writes.
        if (at + count < text.size() && IS_HIGH_SURROGATE(text[at + count - 1]))
            --count;
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + at, count, &written, nullptr) || written == 0)
            return false;
        at += written;
    }
    return true;
}

}  // namespace

bool ConsoleWrite(ConsoleStream stream, const char* utf8, size_t length)
{
    const bool error = stream == ConsoleStream::Error;
    HANDLE handle = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode))
        return writeConsole(handle, utf8, length);
    // Binary mode: text mode would turn every LF into CR LF, doubling the CR
    // of lines that already end in CR LF (CSV), and the bytes would differ
    // from every other system's.
    FILE* file = error ? stderr : stdout;
    std::fflush(file);
    _setmode(_fileno(file), _O_BINARY);
    const bool whole = std::fwrite(utf8, 1, length, file) == length;
    return std::fflush(file) == 0 && whole;
}
