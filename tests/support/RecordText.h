// recordText: "Field=value" for every field of a terminal record that is not
// zero or empty, in declaration order, so that a failed comparison names the
// field; record: a record stated as "Field=value; ...". Any thread.
#pragma once

#include "RecordFields.h"

#include <QByteArrayList>

inline QByteArray recordText(const TerminalParam& p)
{
    QByteArrayList out;
#define RECORD_NUMBER(f)                                                                                               \
    if (p.f != 0)                                                                                                      \
        out << #f "=" + QByteArray::number(p.f);
#define RECORD_TEXT(f)                                                                                                 \
    if (p.f[0] != '\0')                                                                                                \
        out << #f "=\"" + QByteArray(p.f) + '"';
    RECORD_FIELDS(RECORD_NUMBER, RECORD_TEXT)
#undef RECORD_NUMBER
#undef RECORD_TEXT
    return out.join("; ");
}

// `base` with the fields of "Name=value; ..." set; texts are cut to their
// field. A value runs from the first "=" to the next ";", blanks included
// (SvcConfig starts with one); a name that is no field stops the test.
inline TerminalParam record(const QByteArray& fields, TerminalParam base = TerminalParam())
{
    for (const QByteArray& pair : fields.split(';')) {
        const QByteArray name = pair.left(pair.indexOf('=')).trimmed(), value = pair.mid(pair.indexOf('=') + 1);
        bool known = pair.trimmed().isEmpty();
#define SET_NUMBER(f)                                                                                                  \
    if (name == #f) {                                                                                                  \
        base.f = static_cast<decltype(base.f)>(value.toLongLong());                                                    \
        known = true;                                                                                                  \
    }
#define SET_TEXT(f)                                                                                                    \
    if (name == #f) {                                                                                                  \
        qstrncpy(base.f, value.constData(), sizeof base.f);                                                            \
        known = true;                                                                                                  \
    }
        RECORD_FIELDS(SET_NUMBER, SET_TEXT)
#undef SET_NUMBER
#undef SET_TEXT
        if (!known)
            qFatal("not a record field: %s", pair.constData());
    }
    return base;
}
