#pragma once
// Which callers' DNS lookups may start, so that reverse zones that never answer cannot
// hold every worker of a FastCGI process: each lookup they cause waits out the whole DNS
// budget. A network where several addresses' lookups ran out of time is answered without
// DNS for a while, and lookups at once are bounded per network and in all. Networks whose
// DNS answered recently keep a share of the lookups that networks never seen cannot take,
// however many of those come: an IPv6 attacker has networks for nothing. A caller turned
// away gets its address as line 2 at once: from a slow network, what its DNS would give
// it after the wait; from any other, an answer it gets only while the limits are reached.

#include "Address.h"
#include "ExpiringMap.h"
#include "SlowNetworks.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace ipx {

struct LookupLimits {
    std::size_t perNetwork;  // lookups at once for the callers of one /24 or /64
    std::size_t total;       // lookups at once for all callers
    // Lookups at once, for each address family, for networks whose DNS has not answered
    // within the gate's trust; and of those, for one /16 or /48.
    std::size_t newPerFamily;
    std::size_t newPerWideNetwork;
};

// For a FastCGI process with this many workers: a quarter of them stay free for callers
// that need no DNS; two lookups at once let a network's callers, who share its reverse
// zone, through without waiting on each other while its DNS answers; new networks of each
// family get a quarter of the lookups, so half stay for networks whose DNS answered, and
// one /16 or /48 gets an eighth.
LookupLimits LookupLimitsFor(std::size_t workers);

class LookupGate {
public:
    // One lookup let through; leaves the gate when destroyed.
    class Pass {
    public:
        Pass(Pass&& other) noexcept;
        Pass& operator=(Pass&&) = delete;
        ~Pass();

        // The lookup got no answer in time: it counts towards its network being answered
        // without DNS for the gate's memory.
        void MarkSlow() { slow_ = true; }

    private:
        friend class LookupGate;
        Pass(LookupGate& gate, const Address& caller, bool trusted);

        LookupGate* gate_;
        Address caller_;
        bool trusted_;
        bool slow_ = false;
    };

    // memory: how long a slow network is answered without DNS; trust: how long a network
    // whose DNS answered keeps its share.
    LookupGate(LookupLimits limits, std::chrono::steady_clock::duration memory,
               std::chrono::steady_clock::duration trust, Clock now);

    // Nothing when the caller's network was slow within the memory, or when as many
    // lookups as the limits allow are running for its network, its kind or in all.
    std::optional<Pass> Enter(const Address& caller);

    // Networks with lookups running: the gate keeps nothing for the others.
    std::size_t NetworksLookingUp() const;

private:
    bool HasRoom(const std::string& network, const Address& caller, bool trusted);
    void Leave(const Address& caller, bool trusted, bool slow);

    LookupLimits limits_;
    // Bounded, and forget on their own.
    SlowNetworks slowNetworks_;
    ExpiringSet answeredNetworks_;  // networks whose DNS answered
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::size_t> running_;  // only networks with lookups
    std::unordered_map<std::string, std::size_t> runningWide_;  // new networks' only
    std::array<std::size_t, 2> runningNew_{};                   // by family
    std::size_t runningTotal_ = 0;
};

}  // namespace ipx
