#pragma once
// The networks whose reverse DNS does not answer: where the lookups of several different
// addresses ran out of time, each remembered for a while after its last time-out, so that
// their callers are answered without DNS. One address alone (a PTR into a dead zone, or a
// delegation of part of a /24) does not make its network slow. In the same way, a /16 or
// /48 where several of its networks timed out is slow for its networks that have not
// earned trust: an attacker spreading over many networks must keep finding new wide ones.
// Bounded: when full, the network remembered longest goes first. Not locked: the gate
// locks around it.

#include "Address.h"
#include "ExpiringMap.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace ipx {

class SlowNetworks {
public:
    // memory: how long a network is remembered after its last time-out.
    SlowNetworks(std::size_t capacity, std::chrono::steady_clock::duration memory, Clock now);

    // The lookup for the caller got no answer in time.
    void NoteTimeOut(const Address& caller);
    // Whether the caller's /24 or /64 is slow.
    bool IsSlow(const Address& caller);
    // Whether the caller's /16 or /48 is.
    bool IsWideSlow(const Address& caller);

private:
    // By network: its members that timed out, up to as many as make it slow.
    using TimedOut = ExpiringMap<std::vector<std::string>>;

    static void Note(TimedOut& timedOut, const std::string& network, const std::string& member);
    static bool IsSlow(TimedOut& timedOut, const std::string& network);

    TimedOut addressesTimedOut_;  // by /24 or /64
    TimedOut networksTimedOut_;   // by /16 or /48
};

}  // namespace ipx
