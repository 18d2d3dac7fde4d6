// Dotted IPv4 address text to a 32-bit number in host byte order (the first
// number of the text is the most significant byte). A pure function, safe on
// any thread.
#pragma once

#include <cstdint>

// The number the system's address conversion gives: the classic forms it
// accepts ("a.b.c.d", and also "a.b.c", "a.b", "a", hexadecimal and octal
// parts); invalid or missing text gives kIpv4None, which is also the value
// of "255.255.255.255".
constexpr uint32_t kIpv4None = 0xFFFFFFFFu;
uint32_t Ipv4FromText(const char* text);
