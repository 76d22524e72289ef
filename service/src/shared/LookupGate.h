#pragma once
// Which callers' DNS lookups may start, so that reverse zones that never answer cannot
// hold every worker of a FastCGI process: each lookup they cause waits out the whole DNS
// budget. A network where several addresses' lookups ran out of time is answered without
// DNS for a while, and lookups at once are bounded per network, per /16 or /48, and in
// all. Networks whose DNS answered fast recently keep a share of the lookups that
// networks never seen cannot take, however many of those come: an IPv6 attacker has
// networks for nothing. Trust is cheap to lose: a lookup that times out, or answers
// slowly, ends it at once, so that networks which answered first and then fall silent
// take the shared half only once each. A caller turned away gets its address as line 2,
// or its last confirmed name (see Service).

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
    std::size_t perNetwork;      // lookups at once for the callers of one /24 or /64
    std::size_t total;           // lookups, and callers waiting for one, at once for all
    std::size_t perWideNetwork;  // lookups at once for the networks of one /16 or /48
    // Lookups at once, for each address family, for networks whose DNS has not answered
    // within the gate's trust; and of those, for one /16 or /48.
    std::size_t newPerFamily;
    std::size_t newPerWideNetwork;
    // Callers at once, for each family, waiting for the lookup of their own address that
    // another request started.
    std::size_t waitingPerFamily;
};

// For a FastCGI process with this many workers: a quarter of them stay free for callers
// that need no DNS; two lookups at once let a network's callers, who share its reverse
// zone, through without waiting on each other while its DNS answers; new networks of each
// family get a quarter of the lookups, so half stay for networks whose DNS answered; one
// /16 or /48 gets a quarter, or an eighth of its new networks; and callers behind one
// address who ask at once may wait for its lookup up to half of the lookups.
LookupLimits LookupLimitsFor(std::size_t workers);

struct GateTimes {
    std::chrono::steady_clock::duration memory;  // how long a slow network is answered without DNS
    std::chrono::steady_clock::duration trust;   // how long a network whose DNS answered keeps its share
    std::chrono::steady_clock::duration fastAnswer;  // the longest a lookup may take and earn trust
};

class LookupGate {
public:
    // A lookup let through, or a caller let wait for one; leaves the gate when destroyed.
    class Pass {
    public:
        Pass(Pass&& other) noexcept;
        Pass& operator=(Pass&&) = delete;
        ~Pass();

        // Whether the caller's network had earned trust when the pass was given.
        bool Trusted() const { return trusted_; }
        // The lookup got no answer in time: it counts towards its network being answered
        // without DNS for the gate's memory.
        void MarkSlow() { slow_ = true; }

    private:
        friend class LookupGate;
        enum class Kind { LookUp, Wait };
        Pass(LookupGate& gate, const Address& caller, Kind kind, bool trusted);

        LookupGate* gate_;
        Address caller_;
        Kind kind_;
        bool trusted_;
        bool slow_ = false;
        std::chrono::steady_clock::time_point entered_;
    };

    LookupGate(LookupLimits limits, GateTimes times, Clock now);

    // Nothing when the caller's network was slow within the memory (or, for a network
    // without trust, its /16 or /48), or when as many lookups as the limits allow are
    // running for its network, its wide network, its kind or in all.
    std::optional<Pass> Enter(const Address& caller);

    // A seat to wait for the lookup of the caller's address that is running; nothing when
    // as many wait, or in all as the limits allow.
    std::optional<Pass> EnterToWait(const Address& caller);

    // Networks with lookups running: the gate keeps nothing for the others.
    std::size_t NetworksLookingUp() const;

private:
    struct Keys;

    bool HasRoom(const Keys& keys, bool trusted);
    void Leave(const Pass& pass);
    void NoteOutcome(const Pass& pass, const std::string& network);

    LookupLimits limits_;
    std::chrono::steady_clock::duration fastAnswer_;
    Clock now_;
    // Bounded, and forget on their own.
    SlowNetworks slowNetworks_;
    // Networks whose DNS answered fast; when full, those in it stay, so that a flood of
    // fast answers cannot push out the networks of callers who keep coming back.
    ExpiringSet answeredNetworks_;
    mutable std::mutex mutex_;
    // Only for networks with lookups running.
    std::unordered_map<std::string, std::size_t> running_;
    std::unordered_map<std::string, std::size_t> runningWide_;
    std::unordered_map<std::string, std::size_t> runningNewWide_;
    std::array<std::size_t, 2> runningNew_{};  // by family
    std::array<std::size_t, 2> waiting_{};     // by family
    std::size_t runningTotal_ = 0;             // lookups and waiting callers
};

}  // namespace ipx
