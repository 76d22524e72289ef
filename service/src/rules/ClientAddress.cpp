#include "ClientAddress.h"

#include "TextSplit.h"

#include <vector>

namespace ipx {

std::optional<Address> SelectClientAddress(std::string_view remoteAddr,
                                           std::optional<std::string_view> forwardedFor,
                                           const TrustedProxies& trusted) {
    std::optional<Address> nearest = Address::Parse(remoteAddr);
    if (!nearest || !trusted.Contains(*nearest) || !forwardedFor) {
        return nearest;
    }
    // Reverse iterators, not std::views::reverse: clang 14 cannot compile libstdc++ 12's
    // views, and the fuzz build uses clang.
    const std::vector<std::string_view> hops = SplitCommaList(*forwardedFor);
    for (auto hop = hops.rbegin(); hop != hops.rend(); ++hop) {
        nearest = Address::Parse(*hop);
        if (!nearest || !trusted.Contains(*nearest)) {
            return nearest;
        }
    }
    return nearest;
}

std::optional<Address> SelectClientAddress(std::string_view remoteAddr,
                                           std::span<const std::string_view> forwardedFor,
                                           const TrustedProxies& trusted) {
    if (forwardedFor.size() <= 1) {
        const auto only = forwardedFor.empty() ? std::nullopt
                                               : std::optional<std::string_view>(forwardedFor[0]);
        return SelectClientAddress(remoteAddr, only, trusted);
    }
    const std::optional<Address> peer = Address::Parse(remoteAddr);
    if (peer && trusted.Contains(*peer)) {
        return std::nullopt;
    }
    return peer;
}

}  // namespace ipx
