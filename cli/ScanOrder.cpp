#include "cli/CliCommands.h"

#include "core/commission/CommissionPlan.h"
#include "platform/Ipv4Address.h"

#include <algorithm>
#include <tuple>

void sortTerminals(std::vector<TerminalParam>* terminals, ScanSort sort)
{
    if (sort == ScanSort::Answer)
        return;
    const auto key = [sort](const TerminalParam& t) {
        // An IP that is no address sorts after every address.
        const uint64_t ip = Ipv4FromText(t.IP) == kIpv4None ? 1ull << 32 : Ipv4FromText(t.IP);
        const uint64_t primary = sort == ScanSort::Ip ? ip : sort == ScanSort::Id ? static_cast<uint32_t>(t.ID) : 0;
        return std::make_tuple(primary, macKey(t.MAC), ip, std::string(t.IP));
    };
    std::stable_sort(terminals->begin(), terminals->end(),
        [&](const TerminalParam& a, const TerminalParam& b) { return key(a) < key(b); });
}
