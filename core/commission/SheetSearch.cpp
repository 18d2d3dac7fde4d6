#include "core/commission/SheetSearch.h"

#include "core/commission/CommissionPlan.h"
#include "core/records/TerminalIdentity.h"

SheetSearch::SheetSearch(NxNetControl* engine, const CommissionSheet& sheet, int repeats)
    : engine(engine)
    , maxRepeats(repeats)
    , search(std::make_unique<TerminalSearch>(engine))
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
    take(search->terminals());
    search.reset();
    if (wanted.empty() || started >= maxRepeats || !sent)
        return false;
    ++started;
    search = std::make_unique<TerminalSearch>(engine);
    return true;
}

void SheetSearch::take(const std::vector<TerminalParam>& terminals)
{
    for (const TerminalParam& terminal : terminals) {
        wanted.erase(macKey(terminal.MAC));
        const auto known = byIdentity.emplace(terminalIdentityKey(terminal), found.size());
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
