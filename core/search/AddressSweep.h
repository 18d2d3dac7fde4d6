// AddressSweep: the paced walk over search ranges that a GET by address
// takes to every address not yet answered, for terminals that no broadcast
// reaches (behind a router, which drops directed broadcasts). It only says
// which addresses are due; the owner sends them and reports each reply's
// source address. Not synchronised: its owner serialises the calls.
#pragma once

#include "core/search/SearchRange.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

class AddressSweep {
public:
    // `ranges` as the user gave them (counted each on its own); swept once,
    // overlaps merged, at `perSecond` GETs per second.
    AddressSweep(const std::vector<SearchRange>& ranges, int perSecond);

    // Appends the addresses due `elapsedMs` after the sweep began, skipping
    // those answered already.
    void due(uint64_t elapsedMs, std::vector<uint32_t>* addresses);
    // Milliseconds from `elapsedMs` until the next address is due; 0 when one
    // is due or the sweep is done.
    int msToNext(uint64_t elapsedMs) const;
    // A reply came from `address`: it is not swept any more.
    void answered(uint32_t address);

    bool done() const;
    // Addresses passed so far (sent or skipped as answered), of total().
    uint64_t passed() const;
    uint64_t total() const;
    // The ranges as given, and how many of their addresses answered.
    const std::vector<SearchRange>& ranges() const;
    std::vector<int> answeredPerRange() const;

private:
    const std::vector<SearchRange> given;
    const std::vector<SearchRange> merged;
    const int perSecond;
    uint64_t totalCount = 0;
    size_t range = 0;      // the merged range being swept
    uint64_t offset = 0;   // the next address's offset in it
    uint64_t passedCount = 0;
    uint64_t sentCount = 0;
    std::unordered_set<uint32_t> heard;
};
