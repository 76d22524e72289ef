#pragma once
// Which callers' DNS lookups may start, so that reverse zones that never answer cannot
// hold every worker of a FastCGI process: each lookup they cause waits out the whole DNS
// budget. A network whose lookup ran out of time is answered without DNS for a while, and
// lookups at once are bounded per network and in all. A caller turned away gets its
// address as line 2 at once: from a slow network, what its DNS would give it after the
// wait; from any other, an answer it gets only while the limits are reached.

#include "Address.h"
#include "AnswerCache.h"

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
};

// For a FastCGI process with this many workers: a quarter of them stay free for callers
// that need no DNS, and two lookups at once let a network's callers, who share its reverse
// zone, through without waiting on each other while its DNS answers.
LookupLimits LookupLimitsFor(std::size_t workers);

class LookupGate {
public:
    // One lookup let through; leaves the gate when destroyed.
    class Pass {
    public:
        Pass(Pass&& other) noexcept;
        Pass& operator=(Pass&&) = delete;
        ~Pass();

        // The lookup got no answer in time: its network is answered without DNS for the
        // gate's memory.
        void MarkSlow() { slow_ = true; }

    private:
        friend class LookupGate;
        Pass(LookupGate& gate, std::string network);

        LookupGate* gate_;
        std::string network_;
        bool slow_ = false;
    };

    // memory: how long a slow network is answered without DNS.
    LookupGate(LookupLimits limits, std::chrono::steady_clock::duration memory,
               AnswerCache::Clock now);

    // Nothing when the caller's network was slow within the memory, or when as many
    // lookups as the limits allow are running for its network or in all.
    std::optional<Pass> Enter(const Address& caller);

private:
    void Leave(const std::string& network, bool slow);

    LookupLimits limits_;
    AnswerCache slowNetworks_;  // bounded, and forgets on its own
    std::mutex mutex_;
    std::unordered_map<std::string, std::size_t> running_;  // only networks with lookups
    std::size_t runningTotal_ = 0;
};

}  // namespace ipx
