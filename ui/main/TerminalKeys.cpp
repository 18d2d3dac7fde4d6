#include "ui/main/TerminalKeys.h"

#include <QtGlobal>

namespace {

// Numbers go in as fixed-width bytes and each text is closed by a zero
// byte, which no text contains, so different field values never run
// together into the same key. Texts stop at their field's end even without
// a terminator.
template <typename Number> void addNumber(QByteArray* key, Number value)
{
    key->append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <size_t N> void addText(QByteArray* key, const char (&field)[N])
{
    key->append(field, static_cast<int>(qstrnlen(field, N)));
    key->append('\0');
}

}  // namespace

QByteArray terminalRowKey(const TerminalParam& record)
{
    QByteArray key;
    key.reserve(110);
    addNumber(&key, record.ID);
    addText(&key, record.Type);
    addText(&key, record.IP);
    addText(&key, record.MAC);
    return key;
}
