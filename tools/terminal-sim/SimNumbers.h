// Reading whole decimal numbers from the simulator's option and fleet-file
// texts. Pure function; safe on any thread.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <string>

// True when `text` is exactly one decimal number within [low, high].
inline bool parseLong(const std::string& text, long long low, long long high, long long* out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long n = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || n < low || n > high)
        return false;
    *out = n;
    return true;
}
