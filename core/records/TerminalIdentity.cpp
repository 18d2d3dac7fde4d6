#include "core/records/TerminalIdentity.h"

#include <cstring>

namespace {

// Numbers go in as fixed-width bytes and each text is closed by a zero
// byte, which no text contains, so different field values never run
// together into the same key. Texts stop at their field's end even without
// a terminator.
template <typename Number> void addNumber(std::string* key, Number value)
{
    key->append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <size_t N> void addText(std::string* key, const char (&field)[N])
{
    key->append(field, strnlen(field, N));
    key->push_back('\0');
}

}  // namespace

std::string terminalIdentityKey(const TerminalParam& record)
{
    std::string key;
    key.reserve(80);
    addNumber(&key, record.ID);
    addNumber(&key, record.ServerPort);
    addText(&key, record.MAC);
    addText(&key, record.IP);
    return key;
}
