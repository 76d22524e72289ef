#include "LookupGate.h"

#include "NetworkPrefix.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace ipx {

namespace {

// Bounded like the answer cache; more networks than the default workers can see time out
// within the memory (48 lookups at once, each 1.8 s, for 60 s), so none is forgotten early.
constexpr std::size_t kRememberedNetworks = 4096;

constexpr std::size_t kLookupsPerNetwork = 2;

}  // namespace

LookupLimits LookupLimitsFor(std::size_t workers) {
    const std::size_t total = std::max<std::size_t>(1, workers - workers / 4);
    return LookupLimits{std::min(kLookupsPerNetwork, total), total};
}

LookupGate::Pass::Pass(LookupGate& gate, std::string network)
    : gate_(&gate), network_(std::move(network)) {}

LookupGate::Pass::Pass(Pass&& other) noexcept
    : gate_(std::exchange(other.gate_, nullptr)),
      network_(std::move(other.network_)),
      slow_(other.slow_) {}

LookupGate::Pass::~Pass() {
    if (gate_ != nullptr) {
        gate_->Leave(network_, slow_);
    }
}

LookupGate::LookupGate(LookupLimits limits, std::chrono::steady_clock::duration memory,
                       AnswerCache::Clock now)
    : limits_(limits), slowNetworks_(kRememberedNetworks, memory, std::move(now)) {
    if (limits_.perNetwork == 0 || limits_.total == 0) {
        throw std::invalid_argument("a lookup gate that lets no lookup through");
    }
}

std::optional<LookupGate::Pass> LookupGate::Enter(const Address& caller) {
    std::string network = NetworkPrefix(caller);
    if (slowNetworks_.Find(network)) {
        return std::nullopt;
    }
    const std::lock_guard lock(mutex_);
    std::size_t& running = running_[network];
    if (running >= limits_.perNetwork || runningTotal_ >= limits_.total) {
        if (running == 0) {
            running_.erase(network);
        }
        return std::nullopt;
    }
    ++running;
    ++runningTotal_;
    return Pass(*this, std::move(network));
}

void LookupGate::Leave(const std::string& network, bool slow) {
    if (slow) {
        slowNetworks_.Store(network, {});
    }
    const std::lock_guard lock(mutex_);
    --runningTotal_;
    if (--running_[network] == 0) {
        running_.erase(network);
    }
}

}  // namespace ipx
