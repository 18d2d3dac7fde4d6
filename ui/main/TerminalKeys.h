// Hash keys for the two ways the window tells records apart: the terminal
// (sameTerminal: MAC, ID, ServerPort, IP) and the table row (ID, Type, IP,
// MAC). Two records have equal keys exactly when those fields are equal.
// Pure functions; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <QByteArray>

QByteArray terminalIdentityKey(const TerminalParam& record);
QByteArray terminalRowKey(const TerminalParam& record);
