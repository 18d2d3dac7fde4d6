// recordText: "Field=value" for every field of a terminal record that differs
// from the cleared record, in declaration order, so that a failed comparison
// names the field. Address and Port are left out (tests check them on their own).
#pragma once

#include "net/TerminalParam.h"

#include <QByteArrayList>

inline QByteArray recordText(const TerminalParam& p)
{
    QByteArrayList out;
#define RECORD_NUMBER(f) if (p.f != 0) out << #f "=" + QByteArray::number(p.f);
#define RECORD_TEXT(f) if (p.f[0] != '\0') out << #f "=\"" + QByteArray(p.f) + '"';
    RECORD_NUMBER(ID) RECORD_NUMBER(NewID) RECORD_NUMBER(CSeq)
    RECORD_TEXT(Type) RECORD_TEXT(Ver) RECORD_TEXT(MAC) RECORD_TEXT(OldMAC) RECORD_TEXT(IP)
    RECORD_TEXT(Mask) RECORD_TEXT(Gateway) RECORD_TEXT(Server) RECORD_TEXT(Server2)
    RECORD_TEXT(DNS1) RECORD_TEXT(DNS2) RECORD_TEXT(Website) RECORD_TEXT(Mode)
    RECORD_NUMBER(ServerPort) RECORD_NUMBER(Server2Port) RECORD_NUMBER(UseDNS) RECORD_NUMBER(AutoIP)
    RECORD_NUMBER(Reboot) RECORD_NUMBER(IsBroadcast) RECORD_NUMBER(Speed) RECORD_NUMBER(Treble)
    RECORD_NUMBER(Bass) RECORD_NUMBER(PlayVol) RECORD_NUMBER(CaptureVol)
    RECORD_TEXT(SvcConfig) RECORD_TEXT(Name)
#undef RECORD_NUMBER
#undef RECORD_TEXT
    return out.join("; ");
}
