// Checks shared by the fuzz targets: a failed check aborts, so that libFuzzer
// and the corpus replay both report it (assert would vanish under NDEBUG).
// Single-threaded, like the targets.
#pragma once

#include "net/TerminalParam.h"

#if defined(__SANITIZE_ADDRESS__)
#define FUZZ_WITH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FUZZ_WITH_ASAN 1
#endif
#endif
#ifdef FUZZ_WITH_ASAN
#include <sanitizer/asan_interface.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FUZZ_CHECK(cond)                                                         \
    do {                                                                         \
        if (!(cond)) {                                                           \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                        \
        }                                                                        \
    } while (0)

namespace fuzz {

template <std::size_t N>
bool terminated(const char (&field)[N])
{
    return std::memchr(field, '\0', N) != nullptr;
}

// Marks the unused tail of a buffer unreadable while it lives (with the
// address sanitizer), so that a read past the text's terminator is caught
// even inside the buffer.
#ifdef FUZZ_WITH_ASAN
class PoisonedTail {
public:
    PoisonedTail(char* tail, std::size_t size) : tail_(tail), size_(size)
    {
        ASAN_POISON_MEMORY_REGION(tail_, size_);
    }
    ~PoisonedTail() { ASAN_UNPOISON_MEMORY_REGION(tail_, size_); }
    PoisonedTail(const PoisonedTail&) = delete;
    PoisonedTail& operator=(const PoisonedTail&) = delete;

private:
    char* tail_;
    std::size_t size_;
};
#else
class PoisonedTail {
public:
    PoisonedTail(char*, std::size_t) {}
};
#endif

// Name of the first field in which two records differ, or null. Texts are
// compared as zero-terminated strings.
inline const char* firstDifference(const TerminalParam& a, const TerminalParam& b)
{
#define FUZZ_SAME_NUMBER(f) if (a.f != b.f) return #f;
#define FUZZ_SAME_TEXT(f) if (std::strcmp(a.f, b.f) != 0) return #f;
    FUZZ_SAME_NUMBER(ID) FUZZ_SAME_NUMBER(NewID) FUZZ_SAME_NUMBER(CSeq) FUZZ_SAME_NUMBER(Address)
    FUZZ_SAME_TEXT(Type) FUZZ_SAME_TEXT(Ver) FUZZ_SAME_TEXT(MAC) FUZZ_SAME_TEXT(OldMAC)
    FUZZ_SAME_TEXT(IP) FUZZ_SAME_TEXT(Mask) FUZZ_SAME_TEXT(Gateway) FUZZ_SAME_TEXT(Server)
    FUZZ_SAME_TEXT(Server2) FUZZ_SAME_TEXT(DNS1) FUZZ_SAME_TEXT(DNS2) FUZZ_SAME_TEXT(Website)
    FUZZ_SAME_TEXT(Mode) FUZZ_SAME_NUMBER(ServerPort) FUZZ_SAME_NUMBER(Server2Port)
    FUZZ_SAME_NUMBER(UseDNS) FUZZ_SAME_NUMBER(AutoIP) FUZZ_SAME_NUMBER(Reboot)
    FUZZ_SAME_NUMBER(IsBroadcast) FUZZ_SAME_NUMBER(Speed) FUZZ_SAME_NUMBER(Port)
    FUZZ_SAME_NUMBER(Treble) FUZZ_SAME_NUMBER(Bass) FUZZ_SAME_NUMBER(PlayVol)
    FUZZ_SAME_NUMBER(CaptureVol) FUZZ_SAME_TEXT(SvcConfig) FUZZ_SAME_TEXT(Name)
#undef FUZZ_SAME_NUMBER
#undef FUZZ_SAME_TEXT
    return nullptr;
}

// Aborts naming the field when two records differ.
inline void checkSame(const TerminalParam& got, const TerminalParam& want)
{
    if (const char* field = firstDifference(got, want)) {
        std::fprintf(stderr, "field %s differs\n", field);
        std::abort();
    }
}

// What any parsed reply must satisfy, whatever the datagram held.
inline void checkParsed(int result, const TerminalParam& r, uint32_t address, uint16_t port)
{
    FUZZ_CHECK(result == 0 || result == 200 || result == 400);
    FUZZ_CHECK(r.Address == address && r.Port == port);
    FUZZ_CHECK(terminated(r.Type) && terminated(r.Ver) && terminated(r.MAC) && terminated(r.OldMAC));
    FUZZ_CHECK(terminated(r.IP) && terminated(r.Mask) && terminated(r.Gateway));
    FUZZ_CHECK(terminated(r.Server) && terminated(r.Server2) && terminated(r.DNS1) && terminated(r.DNS2));
    FUZZ_CHECK(terminated(r.Website) && terminated(r.Mode) && terminated(r.SvcConfig) && terminated(r.Name));
    FUZZ_CHECK(r.UseDNS <= 1 && r.AutoIP <= 1);
    FUZZ_CHECK(r.Speed == 0 || r.Speed == 10 || r.Speed == 100);
    // Never filled from a reply.
    FUZZ_CHECK(r.NewID == 0 && r.OldMAC[0] == '\0' && r.Reboot == 0 && r.IsBroadcast == 0);
    if (result != 200) {
        // Not a reply, or a 400: nothing but CSeq is taken.
        TerminalParam expected;
        expected.Address = address;
        expected.Port = port;
        expected.CSeq = r.CSeq;
        checkSame(r, expected);
        FUZZ_CHECK(result == 400 || r.CSeq == 0);
    }
}

}  // namespace fuzz
