// Terminal records for the window and dialog tests, written and read as
// "Field=value" pairs separated by ";" under the names of TerminalParam, so
// that a fixture or a table row states a record in one line. Any thread.
#pragma once

#include "net/TerminalParam.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdio>

#define TEST_RECORD_FIELDS(NUMBER, TEXT)                                                                   \
    NUMBER(ID) NUMBER(NewID) NUMBER(CSeq) NUMBER(Address) TEXT(Type) TEXT(Ver) TEXT(MAC) TEXT(OldMAC)     \
    TEXT(IP) TEXT(Mask) TEXT(Gateway) TEXT(Server) TEXT(Server2) TEXT(DNS1) TEXT(DNS2) TEXT(Website)       \
    TEXT(Mode) NUMBER(ServerPort) NUMBER(Server2Port) NUMBER(UseDNS) NUMBER(AutoIP) NUMBER(Reboot)         \
    NUMBER(IsBroadcast) NUMBER(Speed) NUMBER(Port) NUMBER(Treble) NUMBER(Bass) NUMBER(PlayVol)             \
    NUMBER(CaptureVol) TEXT(SvcConfig) TEXT(Name)

// Sets the field `name` from its text; false when the record has no such field.
inline bool setRecordField(TerminalParam& p, const QByteArray& name, const QByteArray& value)
{
#define SET_NUMBER(f) if (name == #f) { p.f = static_cast<decltype(p.f)>(value.toLongLong()); return true; }
#define SET_TEXT(f) if (name == #f) { std::snprintf(p.f, sizeof p.f, "%s", value.constData()); return true; }
    TEST_RECORD_FIELDS(SET_NUMBER, SET_TEXT)
#undef SET_NUMBER
#undef SET_TEXT
    return false;
}

// The text of the field `name`; false when the record has no such field.
inline bool recordField(const TerminalParam& p, const QByteArray& name, QByteArray* text)
{
#define GET_NUMBER(f) if (name == #f) { *text = QByteArray::number(p.f); return true; }
#define GET_TEXT(f) if (name == #f) { *text = QByteArray(p.f); return true; }
    TEST_RECORD_FIELDS(GET_NUMBER, GET_TEXT)
#undef GET_NUMBER
#undef GET_TEXT
    return false;
}

// `base` with the fields of "Name=value; ..." set. A value runs from the
// first "=" to the next ";", blanks included (SvcConfig starts with one).
inline TerminalParam record(const QByteArray& fields, TerminalParam base = TerminalParam())
{
    for (const QByteArray& pair : fields.split(';')) {
        const int equals = pair.indexOf('=');
        if (pair.trimmed().isEmpty())
            continue;
        if (equals < 0 || !setRecordField(base, pair.left(equals).trimmed(), pair.mid(equals + 1)))
            qFatal("not a record field: %s", pair.constData());
    }
    return base;
}
