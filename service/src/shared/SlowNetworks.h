#pragma once
// The networks whose reverse DNS does not answer: where the lookups of several different
// addresses ran out of time, each remembered for a while after its last time-out, so that
// their callers are answered without DNS. One address alone (a PTR into a dead zone, or a
// delegation of part of a /24) does not make its network slow. Bounded: when full, the
// network remembered longest goes first. Not locked: the gate locks around it.

#include "Address.h"
#include "ExpiringMap.h"

#include <chrono>
#include <cstddef>
#include <vector>

namespace ipx {

class SlowNetworks {
public:
    // memory: how long a network is remembered after its last time-out.
    SlowNetworks(std::size_t capacity, std::chrono::steady_clock::duration memory, Clock now);

    // The lookup for the caller got no answer in time.
    void NoteTimeOut(const Address& caller);
    // Whether the caller's network is slow.
    bool IsSlow(const Address& caller);

private:
    // By network: its addresses that timed out, up to as many as make it slow.
    ExpiringMap<std::vector<Address>> timedOut_;
};

}  // namespace ipx
