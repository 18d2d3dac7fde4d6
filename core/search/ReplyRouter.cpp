#include "core/search/ReplyRouter.h"

#include "net/RecursiveLock.h"
#include "platform/Clock.h"

#include <atomic>
#include <deque>
#include <unordered_map>
#include <utility>

namespace {

struct Claim {
    ReplySink* owner = nullptr;  // null: held, the reply goes nowhere
    uint64_t heldUntil = 0;      // after release: when the CSeq is forgotten
};

RecursiveLock gRouterLock;
std::unordered_map<uint16_t, Claim> gClaims;          // guarded by gRouterLock
std::deque<std::pair<uint64_t, uint16_t>> gReleased;  // guarded by gRouterLock; in release order
std::atomic<NxNetControl::ReplyCallback> gOthers{nullptr};

// Forgets the CSeqs held for longer than kKeepMs. Every release holds them
// equally long, so the oldest come first. Under gRouterLock.
void forgetExpired(uint64_t now)
{
    while (!gReleased.empty() && gReleased.front().first <= now) {
        const auto claim = gClaims.find(gReleased.front().second);
        // A CSeq claimed again since (the counter wrapped) is not forgotten.
        if (claim != gClaims.end() && claim->second.owner == nullptr && claim->second.heldUntil == gReleased.front().first)
            gClaims.erase(claim);
        gReleased.pop_front();
    }
}

}  // namespace

void ReplyRouter::attach(NxNetControl* engine)
{
    NxNetControl::ReplyCallback none = nullptr;
    engine->replyCallback.compare_exchange_strong(none, route);
}

void ReplyRouter::setOthers(NxNetControl::ReplyCallback others)
{
    RecursiveLockGuard guard(gRouterLock);
    gOthers = others;
    for (const auto& released : gReleased) {
        const auto claim = gClaims.find(released.second);
        if (claim != gClaims.end() && claim->second.owner == nullptr && claim->second.heldUntil == released.first)
            gClaims.erase(claim);
    }
    gReleased.clear();
}

void ReplyRouter::route(TerminalParam* reply)
{
    {
        RecursiveLockGuard guard(gRouterLock);
        forgetExpired(MonotonicMs());
        const auto claim = gClaims.find(reply->CSeq);
        if (claim != gClaims.end()) {
            if (claim->second.owner != nullptr)
                claim->second.owner->take(reply);
            return;
        }
    }
    const NxNetControl::ReplyCallback others = gOthers.load();
    if (others != nullptr)
        others(reply);
}

void ReplyRouter::claim(uint16_t cseq, ReplySink* owner)
{
    RecursiveLockGuard guard(gRouterLock);
    forgetExpired(MonotonicMs());
    gClaims[cseq] = Claim{owner, 0};
}

void ReplyRouter::release(uint16_t cseq, const ReplySink* owner)
{
    const uint64_t until = MonotonicMs() + kKeepMs;
    RecursiveLockGuard guard(gRouterLock);
    const auto claim = gClaims.find(cseq);
    if (claim == gClaims.end() || claim->second.heldUntil != 0 || claim->second.owner != owner)
        return;
    claim->second = Claim{nullptr, until};
    gReleased.emplace_back(until, cseq);
}
