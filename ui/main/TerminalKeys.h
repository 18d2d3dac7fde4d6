// The hash key of a table row (ID, Type, IP, MAC): two records have equal
// keys exactly when those fields are equal. The terminal's own key is
// terminalIdentityKey. Pure function; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <QByteArray>

QByteArray terminalRowKey(const TerminalParam& record);
