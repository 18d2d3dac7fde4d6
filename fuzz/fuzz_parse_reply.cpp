// libFuzzer target: any datagram, handed to the reply reader exactly as the
// receiver does (at most 1024 bytes, zero-terminated in a 1025-byte buffer).
#include "FuzzChecks.h"
#include "net/DbpMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kDatagramMax = 1024;
    const size_t length = size < kDatagramMax ? size : kDatagramMax;
    std::unique_ptr<char[]> buffer(new char[kDatagramMax + 1]);
    std::memcpy(buffer.get(), data, length);
    buffer[length] = '\0';
    const fuzz::PoisonedTail tail(buffer.get() + length + 1, kDatagramMax - length);

    constexpr uint32_t kAddress = 0x7f000009;
    constexpr uint16_t kPort = 59137;
    TerminalParam reply;
    reply.Address = kAddress;
    reply.Port = kPort;
    const int result = ParseReply(buffer.get(), &reply);
    fuzz::checkParsed(result, reply, kAddress, kPort);

    const int header = FindHeader(buffer.get());
    FUZZ_CHECK(header >= 0 && header <= kNoHeader);
    return 0;
}
