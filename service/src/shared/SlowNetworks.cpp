#include "SlowNetworks.h"

#include "NetworkPrefix.h"

#include <algorithm>
#include <utility>

namespace ipx {

namespace {

constexpr std::size_t kTimedOutMembersForSlow = 3;

}  // namespace

SlowNetworks::SlowNetworks(std::size_t capacity, std::chrono::steady_clock::duration memory,
                           Clock now)
    : addressesTimedOut_(capacity, memory, now), networksTimedOut_(capacity, memory, now) {}

void SlowNetworks::NoteTimeOut(const Address& caller) {
    Note(addressesTimedOut_, NetworkPrefix(caller), caller.Text());
    Note(networksTimedOut_, WideNetworkPrefix(caller), NetworkPrefix(caller));
}

bool SlowNetworks::IsSlow(const Address& caller) {
    return IsSlow(addressesTimedOut_, NetworkPrefix(caller));
}

bool SlowNetworks::IsWideSlow(const Address& caller) {
    return IsSlow(networksTimedOut_, WideNetworkPrefix(caller));
}

void SlowNetworks::Note(TimedOut& timedOut, const std::string& network,
                        const std::string& member) {
    std::vector<std::string> members;
    if (const auto* known = timedOut.Find(network)) {
        members = *known;
    }
    if (members.size() < kTimedOutMembersForSlow &&
        std::find(members.begin(), members.end(), member) == members.end()) {
        members.push_back(member);
    }
    timedOut.Store(network, std::move(members));
}

bool SlowNetworks::IsSlow(TimedOut& timedOut, const std::string& network) {
    const auto* members = timedOut.Find(network);
    return members != nullptr && members->size() >= kTimedOutMembersForSlow;
}

}  // namespace ipx
