#include "LookupGate.h"

#include "NetworkPrefix.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace ipx {

namespace {

// More networks than the default workers can see time out within the memory (48 lookups
// at once, each 1.8 s, for 60 s), so none is forgotten early.
constexpr std::size_t kRememberedNetworks = 4096;
// Networks whose DNS answered: one for each of many thousands of callers at home.
constexpr std::size_t kTrustedNetworks = 16384;

constexpr std::size_t kLookupsPerNetwork = 2;

std::size_t AtLeastOne(std::size_t count) {
    return std::max<std::size_t>(1, count);
}

std::size_t FamilyIndex(const Address& caller) {
    return caller.family() == Address::Family::V4 ? 0 : 1;
}

void Release(std::unordered_map<std::string, std::size_t>& counts, const std::string& key) {
    const auto found = counts.find(key);
    if (--found->second == 0) {
        counts.erase(found);
    }
}

}  // namespace

LookupLimits LookupLimitsFor(std::size_t workers) {
    const std::size_t total = AtLeastOne(workers - workers / 4);
    return LookupLimits{std::min(kLookupsPerNetwork, total), total, AtLeastOne(total / 4),
                        AtLeastOne(total / 8)};
}

LookupGate::Pass::Pass(LookupGate& gate, const Address& caller, bool trusted)
    : gate_(&gate), caller_(caller), trusted_(trusted) {}

LookupGate::Pass::Pass(Pass&& other) noexcept
    : gate_(std::exchange(other.gate_, nullptr)),
      caller_(other.caller_),
      trusted_(other.trusted_),
      slow_(other.slow_) {}

LookupGate::Pass::~Pass() {
    if (gate_ != nullptr) {
        gate_->Leave(caller_, trusted_, slow_);
    }
}

LookupGate::LookupGate(LookupLimits limits, std::chrono::steady_clock::duration memory,
                       std::chrono::steady_clock::duration trust, Clock now)
    : limits_(limits),
      slowNetworks_(kRememberedNetworks, memory, now),
      answeredNetworks_(kTrustedNetworks, trust, std::move(now)) {
    if (limits_.perNetwork == 0 || limits_.total == 0 || limits_.newPerFamily == 0 ||
        limits_.newPerWideNetwork == 0) {
        throw std::invalid_argument("a lookup gate that lets no lookup through");
    }
}

std::optional<LookupGate::Pass> LookupGate::Enter(const Address& caller) {
    const std::string network = NetworkPrefix(caller);
    const std::lock_guard lock(mutex_);
    if (slowNetworks_.IsSlow(caller)) {
        return std::nullopt;
    }
    const bool trusted = answeredNetworks_.Contains(network);
    if (!HasRoom(network, caller, trusted)) {
        return std::nullopt;
    }
    ++running_[network];
    ++runningTotal_;
    if (!trusted) {
        ++runningWide_[WideNetworkPrefix(caller)];
        ++runningNew_[FamilyIndex(caller)];
    }
    return Pass(*this, caller, trusted);
}

std::size_t LookupGate::NetworksLookingUp() const {
    const std::lock_guard lock(mutex_);
    return running_.size();
}

bool LookupGate::HasRoom(const std::string& network, const Address& caller, bool trusted) {
    const auto count = [](const auto& counts, const std::string& key) {
        const auto found = counts.find(key);
        return found == counts.end() ? std::size_t{0} : found->second;
    };
    if (count(running_, network) >= limits_.perNetwork || runningTotal_ >= limits_.total) {
        return false;
    }
    return trusted || (runningNew_[FamilyIndex(caller)] < limits_.newPerFamily &&
                       count(runningWide_, WideNetworkPrefix(caller)) < limits_.newPerWideNetwork);
}

void LookupGate::Leave(const Address& caller, bool trusted, bool slow) {
    const std::string network = NetworkPrefix(caller);
    const std::lock_guard lock(mutex_);
    if (slow) {
        slowNetworks_.NoteTimeOut(caller);
    } else {
        answeredNetworks_.Store(network);
    }
    --runningTotal_;
    Release(running_, network);
    if (!trusted) {
        Release(runningWide_, WideNetworkPrefix(caller));
        --runningNew_[FamilyIndex(caller)];
    }
}

}  // namespace ipx
