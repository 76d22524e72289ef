#include "SlowNetworks.h"

#include "NetworkPrefix.h"

#include <algorithm>
#include <string>
#include <utility>

namespace ipx {

namespace {

constexpr std::size_t kTimedOutAddressesForSlow = 3;

}  // namespace

SlowNetworks::SlowNetworks(std::size_t capacity, std::chrono::steady_clock::duration memory,
                           Clock now)
    : timedOut_(capacity, memory, std::move(now)) {}

void SlowNetworks::NoteTimeOut(const Address& caller) {
    const std::string network = NetworkPrefix(caller);
    std::vector<Address> addresses;
    if (const auto* known = timedOut_.Find(network)) {
        addresses = *known;
    }
    if (addresses.size() < kTimedOutAddressesForSlow &&
        std::find(addresses.begin(), addresses.end(), caller) == addresses.end()) {
        addresses.push_back(caller);
    }
    timedOut_.Store(network, std::move(addresses));
}

bool SlowNetworks::IsSlow(const Address& caller) {
    const auto* addresses = timedOut_.Find(NetworkPrefix(caller));
    return addresses != nullptr && addresses->size() >= kTimedOutAddressesForSlow;
}

}  // namespace ipx
