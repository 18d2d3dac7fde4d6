#include "core/commission/TerminalSearch.h"

namespace {

// The identity the window's table uses: MAC, ID, server port and IP.
std::string identity(const TerminalParam& r)
{
    return std::string(r.MAC) + '\n' + std::to_string(r.ID) + '\n' + std::to_string(r.ServerPort) + '\n' + r.IP;
}

}  // namespace

TerminalSearch::TerminalSearch(NxNetControl* engine)
    : engine(engine)
{
    engine->CollectReplies(true);
    startMs = engine->Settings().clockMs();
}

TerminalSearch::~TerminalSearch()
{
    engine->CollectReplies(false);
}

bool TerminalSearch::step(std::vector<TerminalParam>* fresh)
{
    const std::vector<int>& times = engine->Settings().searchSendsMs;
    const uint64_t elapsed = engine->Settings().clockMs() - startMs;
    while (sends < times.size() && elapsed >= static_cast<uint64_t>(times[sends])) {
        const uint16_t first = engine->NextCSeq();
        sendFailed = !engine->QueryAllTerminals() || sendFailed;
        cseqs.emplace_back(first, engine->NextCSeq());
        ++sends;
    }
    std::vector<TerminalParam> replies;
    engine->TakeReplies(&replies);
    for (const TerminalParam& reply : replies) {
        bool ours = false;
        for (const auto& range : cseqs)
            ours = ours
                || static_cast<uint16_t>(reply.CSeq - range.first) < static_cast<uint16_t>(range.second - range.first);
        if (!ours)
            continue;
        if (fresh != nullptr)
            fresh->push_back(reply);
        if (seen.emplace(identity(reply), found.size()).second)
            found.push_back(reply);
    }
    const int last = times.empty() ? 0 : times.back();
    return sends < times.size() || elapsed < static_cast<uint64_t>(last + kSettleMs);
}

bool TerminalSearch::allSent() const
{
    return !sendFailed;
}

const std::vector<TerminalParam>& TerminalSearch::terminals() const
{
    return found;
}
