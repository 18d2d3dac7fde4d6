// Text for standard output or standard error, given as UTF-8: a console shows
// it as the characters it is (a Windows console would otherwise read the
// bytes in its own code page), a file or pipe gets the UTF-8 bytes
// unchanged, line ends included. Safe on any thread; each call is flushed.
#pragma once

#include <cstddef>

enum class ConsoleStream { Output, Error };

// False when the text could not be written whole.
bool ConsoleWrite(ConsoleStream stream, const char* utf8, size_t length);
