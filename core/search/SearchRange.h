// SearchRange: a block of addresses to search besides the adapters' links,
// written as CIDR ("10.2.0.0/16") or first-last ("10.3.1.10-10.3.1.200").
// Plain values; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SearchRange {
    // A sweep of more addresses than this would take too long to be useful.
    static constexpr uint64_t kMaxAddresses = 65536;

    uint32_t first = 0;  // host byte order, inclusive
    uint32_t last = 0;   // inclusive

    uint64_t size() const { return uint64_t(last) - first + 1; }
    // Whether the range is a whole subnet (aligned, a power of two of at
    // least four addresses), which has a directed broadcast address.
    bool wholeSubnet() const;
    // The subnet's broadcast address; only for a whole subnet.
    uint32_t broadcast() const { return last; }
    // As the user wrote it, normalised: CIDR for a whole subnet, else first-last.
    std::string text() const;
};

// Why a text is not a search range.
enum class SearchRangeFault { None, Unreadable, Reversed, TooLarge };

// Parses `text` into `range`; on failure leaves it and says why.
SearchRangeFault parseSearchRange(const std::string& text, SearchRange* range);

// The ranges sorted, with overlapping and adjacent ones joined, so that no
// address is swept twice.
std::vector<SearchRange> mergeSearchRanges(std::vector<SearchRange> ranges);
