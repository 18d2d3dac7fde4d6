// Checks shared by the fuzz targets: a failed check aborts, so that libFuzzer
// and the corpus replay both report it (assert would vanish under NDEBUG).
// Single-threaded, like the targets.
#pragma once

#include "tests/support/RecordFields.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FUZZ_CHECK(cond) ((cond) ? void() : fuzz::fail(__FILE__, __LINE__, #cond))

namespace fuzz {

[[noreturn]] inline void fail(const char* file, int line, const char* check)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, check);
    std::abort();
}

// Aborts naming the first field in which two records differ.
inline void checkSame(const TerminalParam& got, const TerminalParam& want)
{
#define FUZZ_NUMBER(f) FUZZ_CHECK(got.f == want.f);
#define FUZZ_TEXT(f) FUZZ_CHECK(std::strcmp(got.f, want.f) == 0);
    RECORD_FIELDS(FUZZ_NUMBER, FUZZ_TEXT)
#undef FUZZ_NUMBER
#undef FUZZ_TEXT
}

// What any parsed reply must satisfy, whatever the datagram held. The
// reader never touches the sender fields (Address, Port): they stay cleared.
inline void checkParsed(int result, const TerminalParam& r)
{
    FUZZ_CHECK(result == 0 || result == 200 || result == 400);
#define FUZZ_NUMBER(f)
#define FUZZ_TEXT(f) FUZZ_CHECK(std::memchr(r.f, '\0', sizeof r.f));
    RECORD_FIELDS(FUZZ_NUMBER, FUZZ_TEXT)
#undef FUZZ_NUMBER
#undef FUZZ_TEXT
    FUZZ_CHECK(r.UseDNS <= 1 && r.AutoIP <= 1);
    FUZZ_CHECK(r.Speed == 0 || r.Speed == 10 || r.Speed == 100);
    // Never filled from a reply.
    FUZZ_CHECK(
        r.NewID == 0 && r.OldMAC[0] == '\0' && r.Reboot == 0 && r.IsBroadcast == 0 && r.Address == 0 && r.Port == 0);
    if (result != 200) {  // not a reply, or a 400: nothing but a 400's CSeq is taken
        TerminalParam expected;
        expected.CSeq = result == 400 ? r.CSeq : 0;
        checkSame(r, expected);
    }
}

}  // namespace fuzz
