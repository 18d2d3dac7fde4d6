// libFuzzer target: any datagram of at most 1024 bytes, zero-terminated, as
// the receiver hands it to the reply reader. The buffer has no room beyond
// the terminator, so that the address sanitizer catches any read past it.
#include "FuzzChecks.h"
#include "net/DbpMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t length = size < 1024 ? size : 1024;
    std::unique_ptr<char[]> buffer(new char[length + 1]);
    std::memcpy(buffer.get(), data, length);
    buffer[length] = '\0';

    TerminalParam reply;
    fuzz::checkParsed(ParseReply(buffer.get(), &reply), reply);
    return 0;
}
