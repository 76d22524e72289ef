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

}  // namespace ipx
