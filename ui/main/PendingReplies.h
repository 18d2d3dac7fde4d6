// The hand-over of received replies from the worker thread to the main
// window: the worker thread appends to gPendingTerminals in onTerminalReply,
// the user-interface thread empties it in QueryTool::get_terminal_slot.
// Both hold gPendingLock while they touch the queue or gQueryTool.
#pragma once

#include "net/RecursiveLock.h"
#include "net/TerminalParam.h"

#include <QVector>

class QueryTool;

// A vector, so that queueing a reply on the worker thread does not allocate
// a node per record.
extern QVector<TerminalParam> gPendingTerminals;
extern RecursiveLock gPendingLock;
// The window replies go to; null while there is none.
extern QueryTool* gQueryTool;

// The engine's reply callback (worker thread): queues a copy of the record
// and signals the window.
void onTerminalReply(TerminalParam* record);
