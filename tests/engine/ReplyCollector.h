// ReplyCollector: the engine's reply callback for tests. Keeps a copy of
// every record handed to it (on the worker thread) and lets the test thread
// wait for what it expects.
#pragma once

#include "net/TerminalParam.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace ReplyCollector {

void collect(TerminalParam* record);
void reset();
std::vector<TerminalParam> replies();
// Waits until `done` holds for the replies so far; false on time-out.
// `done` runs under the collector's lock: it must use only its argument.
bool waitFor(const std::function<bool(const std::vector<TerminalParam>&)>& done, int timeoutMs);
}  // namespace ReplyCollector

// Replies whose CSeq is `cseq`.
int countCSeq(const std::vector<TerminalParam>& replies, uint16_t cseq);
