// The hand-over of received replies from the worker thread to the main
// window: the worker thread appends to gPendingTerminals in onTerminalReply,
// the user-interface thread empties it in QueryTool::get_terminal_slot.
// Both hold gPendingLock while they touch the queue or gQueryTool.
#pragma once

#include "net/RecursiveLock.h"
#include "net/TerminalParam.h"

#include <QList>

class QueryTool;

extern QList<TerminalParam> gPendingTerminals;
extern RecursiveLock gPendingLock;
// The window replies go to; null while there is none.
extern QueryTool* gQueryTool;

// The engine's reply callback (worker thread): queues a copy of the record
// and signals the window.
void onTerminalReply(TerminalParam* record);
