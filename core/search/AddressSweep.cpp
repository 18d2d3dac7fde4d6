#include "core/search/AddressSweep.h"

#include <algorithm>

AddressSweep::AddressSweep(const std::vector<SearchRange>& ranges, int perSecond)
    : given(ranges)
    , merged(mergeSearchRanges(ranges))
    , perSecond(std::max(1, perSecond))
{
    for (const SearchRange& r : merged)
        totalCount += r.size();
}

void AddressSweep::due(uint64_t elapsedMs, std::vector<uint32_t>* addresses)
{
    // The first GET goes at once; the pace counts GETs sent, not addresses
    // skipped, so a well-answered range goes no slower than an empty one.
    const uint64_t allowed = elapsedMs * static_cast<uint64_t>(perSecond) / 1000 + 1;
    while (!done() && sentCount < allowed) {
        const uint32_t address = merged[range].first + static_cast<uint32_t>(offset);
        ++passedCount;
        if (++offset == merged[range].size()) {
            ++range;
            offset = 0;
        }
        if (heard.count(address) != 0)
            continue;
        addresses->push_back(address);
        ++sentCount;
    }
}

int AddressSweep::msToNext(uint64_t elapsedMs) const
{
    if (done())
        return 0;
    const uint64_t dueMs = sentCount * 1000 / static_cast<uint64_t>(perSecond);
    return dueMs > elapsedMs ? static_cast<int>(dueMs - elapsedMs) : 0;
}

void AddressSweep::answered(uint32_t address)
{
    heard.insert(address);
}

bool AddressSweep::done() const
{
    return range == merged.size();
}

uint64_t AddressSweep::passed() const
{
    return passedCount;
}

uint64_t AddressSweep::total() const
{
    return totalCount;
}

const std::vector<SearchRange>& AddressSweep::ranges() const
{
    return given;
}

std::vector<int> AddressSweep::answeredPerRange() const
{
    std::vector<int> counts;
    for (const SearchRange& r : given)
        counts.push_back(static_cast<int>(std::count_if(heard.begin(), heard.end(),
            [&r](uint32_t address) { return address >= r.first && address <= r.last; })));
    return counts;
}
