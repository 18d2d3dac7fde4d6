// SearchStatus: what the status bar says about the current search — the
// adapters it went out through and how many terminals answered on each (or
// that an adapter has no link), or that none answered, or that no adapter
// was up, what each search range found, and whether terminals were still
// appearing — and the adapter a reply arrived on, for a row's tooltip.
// User-interface thread only.
#pragma once

#include "core/search/TerminalSearch.h"

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class SearchStatus {
    Q_DECLARE_TR_FUNCTIONS(SearchStatus)

public:
    // What a search has come to so far.
    struct Facts {
        std::vector<TerminalSearch::Adapter> adapters;
        int terminals = 0;         // distinct terminals that answered
        bool anySent = false;      // some GET went out
        bool settled = false;      // every GET is out and the replies have stopped
        bool everyAdapter = true;  // else the GETs went to `destination` alone
        uint32_t destination = 0;
        QStringList ranges;    // what each search range found, and the sweeps' progress
        int lastGetFound = 0;  // terminals the last GET found that none before had
    };

    // A new search begins: nothing sent, nothing counted.
    void begin();
    void update(const TerminalSearch& search);
    void update(const Facts& facts);

    // Begins with the warning that the list may be incomplete, while the
    // last GET still found new terminals: eliding the end never hides it.
    QString text() const;
    // "eth0 (192.168.1.7)" for an adapter of this search, else the
    // interface's name; empty when unknown.
    QString adapterText(uint32_t arrivalInterface) const;
    // The tooltip of a row whose reply arrived there; empty when unknown.
    QString rowToolTip(uint32_t arrivalInterface) const;

private:
    struct Adapter {
        QString label;
        bool linkUp = true;
        int answered = 0;
    };
    // Each adapter's label with its count, or that it has no link.
    QString adapterCount(const Adapter& adapter) const;
    QString adapterList() const;
    // What the links' broadcasts found, before the ranges.
    QString linkText() const;

    Facts facts;
    // Keyed by interface index, so the list reads in the system's order.
    QMap<uint32_t, Adapter> adapters;
};
