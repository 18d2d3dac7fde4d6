// RECORD_FIELDS: every field of TerminalParam in declaration order, as
// NUMBER(name) or TEXT(name), so that the tests' record dumps, comparisons and
// builders walk one list. Plain C++ (the fuzz targets use it too).
#pragma once

#include "net/TerminalParam.h"

#define RECORD_FIELDS(NUMBER, TEXT)                                                                                    \
    NUMBER(ID)                                                                                                         \
    NUMBER(NewID) NUMBER(CSeq) NUMBER(Address) TEXT(Type) TEXT(Ver) TEXT(MAC) TEXT(OldMAC) TEXT(IP) TEXT(Mask)         \
        TEXT(Gateway) TEXT(Server) TEXT(Server2) TEXT(DNS1) TEXT(DNS2) TEXT(Website) TEXT(Mode) NUMBER(ServerPort)     \
            NUMBER(Server2Port) NUMBER(UseDNS) NUMBER(AutoIP) NUMBER(Reboot) NUMBER(IsBroadcast) NUMBER(Speed)         \
                NUMBER(Port) NUMBER(Treble) NUMBER(Bass) NUMBER(PlayVol) NUMBER(CaptureVol) TEXT(SvcConfig) TEXT(Name) \
                    NUMBER(ArrivalInterface)
