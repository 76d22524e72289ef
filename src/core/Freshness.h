#pragma once
// When to look up again after the network may have changed under the program: the
// computer woke, or its addresses changed. Such events come in bursts while the network
// settles, so a lookup follows once they have been quiet for a while; and as the network
// is often not back yet when that lookup runs, one whose download fails is tried again a
// little later, a few times at most.

#include <cstdint>
#include <optional>

#include "LookupCycle.h"

namespace kestrin {

inline constexpr std::uint32_t kQuietPeriodMs = 3000;
inline constexpr std::uint32_t kRetryDelayMs = 10000;
inline constexpr int kMaxRetries = 2;

class Freshness {
public:
    // Milliseconds of a clock that wraps around, as GetTickCount does; only differences
    // are taken, so the rules hold across the wrap.
    using Tick = std::uint32_t;

    // The computer resumed or its addresses changed: a lookup is due once events have
    // been quiet for kQuietPeriodMs. A new event also starts a new count of retries.
    void NetworkChanged(Tick now) noexcept;

    bool IsDue(Tick now) const noexcept;
    // Milliseconds from now until the next lookup these rules ask for (0 when it is
    // due), or nothing when none is pending.
    std::optional<Tick> WaitBefore(Tick now) const noexcept;

    // The lookup that was due ran, or was skipped as another one was running then.
    void DueLookupRan(Tick now, CycleOutcome outcome) noexcept;
    // A lookup of the timer or the button ran: a success ends the retries.
    void OtherLookupRan(CycleOutcome outcome) noexcept;

private:
    enum class Pending { Nothing, QuietPeriod, Retry };

    void DueIn(Tick now, Tick milliseconds) noexcept;

    Pending pending_ = Pending::Nothing;
    Tick dueAt_ = 0;
    int retries_ = 0;
};

}  // namespace kestrin
