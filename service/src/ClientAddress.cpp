#include "ClientAddress.h"

#include "TextSplit.h"

#include <ranges>

namespace ipx {

std::optional<Address> SelectClientAddress(std::string_view remoteAddr,
                                           std::optional<std::string_view> forwardedFor,
                                           const TrustedProxies& trusted) {
    std::optional<Address> nearest = Address::Parse(remoteAddr);
    if (!nearest || !trusted.Contains(*nearest) || !forwardedFor) {
        return nearest;
    }
    for (const std::string_view hop : SplitCommaList(*forwardedFor) | std::views::reverse) {
        nearest = Address::Parse(hop);
        if (!nearest || !trusted.Contains(*nearest)) {
            return nearest;
        }
    }
    return nearest;
}

}  // namespace ipx
