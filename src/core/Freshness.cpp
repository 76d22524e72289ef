#include "Freshness.h"

namespace kestrin {
namespace {

constexpr Freshness::Tick kLongestWaitMs =
    kQuietPeriodMs > kRetryDelayMs ? kQuietPeriodMs : kRetryDelayMs;

}  // namespace

void Freshness::NetworkChanged(Tick now) noexcept {
    pending_ = Pending::QuietPeriod;
    retries_ = 0;
    DueIn(now, kQuietPeriodMs);
}

bool Freshness::IsDue(Tick now) const noexcept {
    return WaitBefore(now) == Tick{0};
}

std::optional<Freshness::Tick> Freshness::WaitBefore(Tick now) const noexcept {
    if (pending_ == Pending::Nothing) return std::nullopt;
    const Tick left = dueAt_ - now;  // unsigned: right across the wrap
    // A wait longer than any these rules set means the time has passed.
    return left <= kLongestWaitMs ? left : Tick{0};
}

void Freshness::DueLookupRan(Tick now, CycleOutcome outcome) noexcept {
    switch (outcome) {
    case CycleOutcome::Shown:
        pending_ = Pending::Nothing;
        break;
    case CycleOutcome::DownloadFailed:
        if (retries_ < kMaxRetries) {
            ++retries_;
            pending_ = Pending::Retry;
            DueIn(now, kRetryDelayMs);
        } else {
            pending_ = Pending::Nothing;
        }
        break;
    case CycleOutcome::Skipped:
        // The cycle that was running may have begun before the change: ask afresh.
        DueIn(now, kQuietPeriodMs);
        break;
    }
}

void Freshness::OtherLookupRan(CycleOutcome outcome) noexcept {
    if (outcome == CycleOutcome::Shown && pending_ == Pending::Retry) pending_ = Pending::Nothing;
}

void Freshness::DueIn(Tick now, Tick milliseconds) noexcept {
    dueAt_ = now + milliseconds;
}

}  // namespace kestrin
