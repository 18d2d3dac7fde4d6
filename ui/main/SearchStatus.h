// SearchStatus: what the status bar says about the current search — the
// adapters it went out through and how many terminals answered on each, or
// that none answered, or that no adapter was up — and the adapter a reply
// arrived on, for a row's tooltip. User-interface thread only.
#pragma once

#include "platform/NetworkInterfaces.h"

#include <QCoreApplication>
#include <QMap>
#include <QString>

#include <cstdint>
#include <vector>

class SearchStatus {
    Q_DECLARE_TR_FUNCTIONS(SearchStatus)

public:
    // A new search begins: nothing sent, nothing counted.
    void begin();
    // One GET went out (`sent`) through `adapters`, or, with `adapters`
    // empty and `everyAdapter` false, to `destination` alone. A later GET
    // of the same search may find an adapter that has come up meanwhile.
    void sent(bool sent, bool everyAdapter, const std::vector<NetworkInterface>& adapters, uint32_t destination);
    // A terminal not seen before in this search answered on the interface
    // with this index (0: unknown).
    void answered(uint32_t arrivalInterface);
    // Every GET is out and the replies have had their time.
    void finish();

    QString text() const;
    // "eth0 (192.168.1.7)" for an adapter of this search, else the
    // interface's name; empty when unknown.
    QString adapterText(uint32_t arrivalInterface) const;
    // The tooltip of a row whose reply arrived there; empty when unknown.
    QString rowToolTip(uint32_t arrivalInterface) const;

private:
    struct Adapter {
        QString label;
        int answered = 0;
    };
    QString adapterList() const;

    bool everyAdapter = true;
    bool anySent = false;
    bool finished = false;
    uint32_t destination = 0;
    int total = 0;
    // Keyed by interface index, so the list reads in the system's order.
    QMap<uint32_t, Adapter> adapters;
};
