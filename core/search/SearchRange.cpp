#include "core/search/SearchRange.h"

#include <algorithm>
#include <cstdio>

namespace {

// Strict dotted-quad only: the system's conversion also takes "10.2" or hex
// parts, which in a range would more likely be a typing slip than meant.
bool dottedQuad(const std::string& text, uint32_t* address)
{
    unsigned parts[4];
    char tail = 0;
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4)
        return false;
    if (text.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    uint32_t value = 0;
    for (unsigned part : parts) {
        if (part > 255)
            return false;
        value = value << 8 | part;
    }
    *address = value;
    return true;
}

std::string dotted(uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, address >> 16 & 0xFF, address >> 8 & 0xFF,
        address & 0xFF);
    return text;
}

std::string trimmed(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t");
    const size_t end = text.find_last_not_of(" \t");
    return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}

}  // namespace

bool SearchRange::wholeSubnet() const
{
    const uint64_t count = size();
    return count >= 4 && (count & (count - 1)) == 0 && first % count == 0;
}

std::string SearchRange::text() const
{
    if (!wholeSubnet())
        return dotted(first) + "-" + dotted(last);
    int prefix = 32;
    for (uint64_t count = size(); count > 1; count >>= 1)
        --prefix;
    return dotted(first) + "/" + std::to_string(prefix);
}

SearchRangeFault parseSearchRange(const std::string& input, SearchRange* range)
{
    const std::string text = trimmed(input);
    const size_t slash = text.find('/');
    const size_t dash = text.find('-');
    SearchRange parsed;
    bool ok = false;
    if (slash != std::string::npos && dash == std::string::npos) {
        const std::string bits = text.substr(slash + 1);
        const bool digits = !bits.empty() && bits.size() <= 2 && bits.find_first_not_of("0123456789") == std::string::npos;
        const int prefix = digits ? std::stoi(bits) : -1;
        uint32_t base = 0;
        ok = prefix >= 0 && prefix <= 32 && dottedQuad(text.substr(0, slash), &base);
        if (ok) {
            const uint32_t mask = prefix == 0 ? 0 : ~uint32_t(0) << (32 - prefix);
            parsed.first = base & mask;
            parsed.last = parsed.first | ~mask;
        }
    } else if (dash != std::string::npos && slash == std::string::npos) {
        ok = dottedQuad(trimmed(text.substr(0, dash)), &parsed.first)
            && dottedQuad(trimmed(text.substr(dash + 1)), &parsed.last);
        if (ok && parsed.last < parsed.first)
            return SearchRangeFault::Reversed;
    }
    if (!ok)
        return SearchRangeFault::Unreadable;
    if (parsed.size() > SearchRange::kMaxAddresses)
        return SearchRangeFault::TooLarge;
    *range = parsed;
    return SearchRangeFault::None;
}

std::vector<SearchRange> mergeSearchRanges(std::vector<SearchRange> ranges)
{
    std::sort(ranges.begin(), ranges.end(),
        [](const SearchRange& a, const SearchRange& b) { return a.first < b.first; });
    std::vector<SearchRange> merged;
    for (const SearchRange& range : ranges) {
        if (!merged.empty() && uint64_t(range.first) <= uint64_t(merged.back().last) + 1)
            merged.back().last = std::max(merged.back().last, range.last);
        else
            merged.push_back(range);
    }
    return merged;
}
