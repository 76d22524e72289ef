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

std::size_t CountOf(const std::unordered_map<std::string, std::size_t>& counts,
                    const std::string& key) {
    const auto found = counts.find(key);
    return found == counts.end() ? std::size_t{0} : found->second;
}

void Release(std::unordered_map<std::string, std::size_t>& counts, const std::string& key) {
    const auto found = counts.find(key);
    if (--found->second == 0) {
        counts.erase(found);
    }
}

}  // namespace

struct LookupGate::Keys {
    explicit Keys(const Address& caller)
        : network(NetworkPrefix(caller)),
          wide(WideNetworkPrefix(caller)),
          family(FamilyIndex(caller)) {}

    std::string network;
    std::string wide;
    std::size_t family;
};

LookupLimits LookupLimitsFor(std::size_t workers) {
    const std::size_t total = AtLeastOne(workers - workers / 4);
    return LookupLimits{std::min(kLookupsPerNetwork, total), total, AtLeastOne(total / 4),
                        AtLeastOne(total / 4), AtLeastOne(total / 8), AtLeastOne(total / 2)};
}

LookupGate::Pass::Pass(LookupGate& gate, const Address& caller, Kind kind, bool trusted)
    : gate_(&gate), caller_(caller), kind_(kind), trusted_(trusted), entered_(gate.now_()) {}

LookupGate::Pass::Pass(Pass&& other) noexcept
    : gate_(std::exchange(other.gate_, nullptr)),
      caller_(other.caller_),
      kind_(other.kind_),
      trusted_(other.trusted_),
      slow_(other.slow_),
      entered_(other.entered_) {}

LookupGate::Pass::~Pass() {
    if (gate_ != nullptr) {
        gate_->Leave(*this);
    }
}

LookupGate::LookupGate(LookupLimits limits, GateTimes times, Clock now)
    : limits_(limits),
      fastAnswer_(times.fastAnswer),
      now_(now),
      slowNetworks_(kRememberedNetworks, times.memory, now),
      answeredNetworks_(kTrustedNetworks, times.trust, now, WhenFull::KeepOld) {
    if (limits_.perNetwork == 0 || limits_.total == 0 || limits_.perWideNetwork == 0 ||
        limits_.newPerFamily == 0 || limits_.newPerWideNetwork == 0 ||
        limits_.waitingPerFamily == 0) {
        throw std::invalid_argument("a lookup gate that lets no lookup through");
    }
}

std::optional<LookupGate::Pass> LookupGate::Enter(const Address& caller) {
    const Keys keys(caller);
    const std::lock_guard lock(mutex_);
    if (slowNetworks_.IsSlow(caller)) {
        return std::nullopt;
    }
    const bool trusted = answeredNetworks_.Contains(keys.network);
    if (!trusted && slowNetworks_.IsWideSlow(caller)) {
        return std::nullopt;
    }
    if (!HasRoom(keys, trusted)) {
        return std::nullopt;
    }
    ++running_[keys.network];
    ++runningWide_[keys.wide];
    ++runningTotal_;
    if (!trusted) {
        ++runningNewWide_[keys.wide];
        ++runningNew_[keys.family];
    }
    return Pass(*this, caller, Pass::Kind::LookUp, trusted);
}

std::optional<LookupGate::Pass> LookupGate::EnterToWait(const Address& caller) {
    const std::size_t family = FamilyIndex(caller);
    const std::lock_guard lock(mutex_);
    if (runningTotal_ >= limits_.total || waiting_[family] >= limits_.waitingPerFamily) {
        return std::nullopt;
    }
    ++waiting_[family];
    ++runningTotal_;
    return Pass(*this, caller, Pass::Kind::Wait, false);
}

std::size_t LookupGate::NetworksLookingUp() const {
    const std::lock_guard lock(mutex_);
    return running_.size();
}

bool LookupGate::HasRoom(const Keys& keys, bool trusted) {
    if (CountOf(running_, keys.network) >= limits_.perNetwork ||
        CountOf(runningWide_, keys.wide) >= limits_.perWideNetwork ||
        runningTotal_ >= limits_.total) {
        return false;
    }
    return trusted || (runningNew_[keys.family] < limits_.newPerFamily &&
                       CountOf(runningNewWide_, keys.wide) < limits_.newPerWideNetwork);
}

void LookupGate::Leave(const Pass& pass) {
    const Keys keys(pass.caller_);
    const std::lock_guard lock(mutex_);
    --runningTotal_;
    if (pass.kind_ == Pass::Kind::Wait) {
        --waiting_[keys.family];
        return;
    }
    NoteOutcome(pass, keys.network);
    Release(running_, keys.network);
    Release(runningWide_, keys.wide);
    if (!pass.trusted_) {
        Release(runningNewWide_, keys.wide);
        --runningNew_[keys.family];
    }
}

// Only an answer well within the budget earns trust: one that comes just before the end
// would let a network hold lookups for nearly the whole budget with the shared half.
void LookupGate::NoteOutcome(const Pass& pass, const std::string& network) {
    if (pass.slow_) {
        slowNetworks_.NoteTimeOut(pass.caller_);
    }
    if (!pass.slow_ && now_() - pass.entered_ <= fastAnswer_) {
        answeredNetworks_.Store(network);
    } else {
        answeredNetworks_.Erase(network);
    }
}

}  // namespace ipx
