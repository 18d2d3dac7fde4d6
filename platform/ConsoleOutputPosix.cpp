#include "platform/ConsoleOutput.h"

#include <cstdio>

bool ConsoleWrite(ConsoleStream stream, const char* utf8, size_t length)
{
    FILE* file = stream == ConsoleStream::Error ? stderr : stdout;
    const bool whole = std::fwrite(utf8, 1, length, file) == length;
    return std::fflush(file) == 0 && whole;
}
