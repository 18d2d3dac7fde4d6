// ReplyRouter: the one channel the engine's replies take. It is the engine's
// reply callback; each reply goes to the owner of its CSeq (a running search,
// or pipelined SETs that keep theirs out of the window's table), and every
// other reply to the window's callback. A CSeq stays held for kKeepMs after
// its owner lets go, so that late replies reach no one. One engine per
// process routes through it. route runs on the worker thread; claim and
// release on the thread that calls the engine's operations.
#pragma once

#include "net/NxNetControl.h"
#include "net/TerminalParam.h"

#include <cstdint>

// An owner of CSeqs: take runs on the worker thread, under the router's
// lock, for each reply to one of them; like the engine's callback it gets
// the engine's own record and must copy what it needs and return.
class ReplySink {
public:
    virtual void take(TerminalParam* reply) = 0;

protected:
    ~ReplySink() = default;
};

namespace ReplyRouter {

// How long a CSeq stays held after its owner let go: longer than a request
// waits for its reply, so a terminal that answers late still reaches no one.
constexpr uint64_t kKeepMs = 10000;

// Makes the router the engine's reply callback, registered once: a callback
// installed already (one that hands each reply on to route) stays.
void attach(NxNetControl* engine);
// Unclaimed replies go to `others` (may be null) from now on. The CSeqs held
// for late replies are forgotten: they were kept from the former receiver,
// and a new engine's CSeqs start again at 1.
void setOthers(NxNetControl::ReplyCallback others);

// The engine's reply callback (worker thread).
void route(TerminalParam* reply);

// Replies to `cseq` go to `owner` from now on; a null owner keeps them from
// everyone. Claim before the request goes out (the CSeq is the engine's
// NextCSeq then), so that the quickest reply finds its owner.
void claim(uint16_t cseq, ReplySink* owner);
// `owner` lets go of `cseq`: after this returns, take is no longer called
// for it, and its replies go nowhere for kKeepMs. Nothing happens when the
// CSeq has been claimed by another owner since (the counter wrapped).
void release(uint16_t cseq, const ReplySink* owner);

}  // namespace ReplyRouter
