#include "ConfirmedHostName.h"

#include "HostName.h"

#include <algorithm>

namespace ipx {

namespace {

std::optional<std::string> ConfirmedHostName(const Address& address, Resolver& resolver,
                                             Deadline deadline) {
    const auto reverse = resolver.ReverseName(address, deadline);
    if (!reverse) {
        return std::nullopt;
    }
    auto name = WellFormedHostName(*reverse);
    if (!name) {
        return std::nullopt;
    }
    const std::vector<Address> forward = resolver.ForwardAddresses(*name, deadline);
    if (std::ranges::find(forward, address) == forward.end()) {
        return std::nullopt;
    }
    return name;
}

}  // namespace

std::string ConfirmedHostNameOrAddress(const Address& address, Resolver& resolver,
                                       std::chrono::milliseconds budget) {
    const Deadline deadline = std::chrono::steady_clock::now() + budget;
    return ConfirmedHostName(address, resolver, deadline).value_or(address.Text());
}

}  // namespace ipx
