#include "ConfirmedHostName.h"

#include "HostName.h"

#include <algorithm>

namespace ipx {

HostLine ConfirmedHostNameOrAddress(const Address& address, Resolver& resolver,
                                    std::chrono::milliseconds budget) {
    const Deadline deadline = std::chrono::steady_clock::now() + budget;
    const HostLine unconfirmed{address.Text()};
    const ReverseAnswer reverse = resolver.ReverseName(address, deadline);
    if (!reverse.name) {
        return HostLine{unconfirmed.text, reverse.timedOut};
    }
    auto name = WellFormedHostName(*reverse.name);
    if (!name) {
        return unconfirmed;
    }
    const ForwardAnswer forward = resolver.ForwardAddresses(*name, deadline);
    if (std::ranges::find(forward.addresses, address) == forward.addresses.end()) {
        return HostLine{unconfirmed.text, forward.timedOut};
    }
    return HostLine{std::move(*name)};
}

}  // namespace ipx
