#include "core/commission/SheetSearch.h"

#include "core/commission/CommissionPlan.h"
#include "core/records/TerminalIdentity.h"

SheetSearch::SheetSearch(
    NxNetControl* engine, const CommissionSheet& sheet, int repeats, const std::vector<SearchRange>& ranges)
    : engine(engine)
    , maxRepeats(repeats)
    , ranges(ranges)
    , search(startSearch())
{
    for (const SheetRow& row : sheet.rows) {
        if (!row.mac.empty())
            wanted.insert(macKey(row.mac.c_str()));
    }
}

bool SheetSearch::step()
{
    if (search == nullptr)
        return false;
    if (search->step())
        return true;
    sent = sent && search->allSent();
    take(*search);
    search.reset();
    if (wanted.empty() || started >= maxRepeats || !sent)
        return false;
    ++started;
    search = startSearch();
    return true;
}

std::unique_ptr<TerminalSearch> SheetSearch::startSearch() const
{
    auto started = std::make_unique<TerminalSearch>(engine);
    started->searchRanges(ranges);
    return started;
}

void SheetSearch::take(const TerminalSearch& done)
{
    for (const TerminalParam& terminal : done.terminals()) {
        wanted.erase(macKey(terminal.MAC));
        const std::string key = terminalIdentityKey(terminal);
        if (!done.onlyThroughRange(terminal))
            broadcast.insert(key);
        else if (broadcast.count(key) == 0)
            routed.insert(key);
        const auto known = byIdentity.emplace(key, found.size());
        if (known.second)
            found.push_back(terminal);
        else
            found[known.first->second] = terminal;
    }
}

int SheetSearch::repeats() const
{
    return started;
}

const TerminalSearch* SheetSearch::current() const
{
    return search.get();
}

int SheetSearch::missing() const
{
    return static_cast<int>(wanted.size());
}

bool SheetSearch::allSent() const
{
    return sent;
}

std::vector<TerminalParam> SheetSearch::terminals() const
{
    return found;
}

bool SheetSearch::onlyThroughRange(const TerminalParam& terminal) const
{
    const std::string key = terminalIdentityKey(terminal);
    return routed.count(key) != 0 && broadcast.count(key) == 0;
}
