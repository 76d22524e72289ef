// The window's side of looking up again after the computer resumed or its addresses
// changed: it hands each event and each cycle's outcome to the rules (Freshness) and
// keeps one timer set for the lookup they ask for next. Nothing runs between events.

#include "frmMain.h"

#include "resource.h"

namespace kestrin {
namespace {

constexpr WPARAM kResumeSuspend = 0x7;     // PBT_APMRESUMESUSPEND: resumed by the user
constexpr WPARAM kResumeAutomatic = 0x12;  // PBT_APMRESUMEAUTOMATIC: resumed at all

}  // namespace

void frmMain::WatchNetwork() {
    suspendResume_.emplace(hwnd_);
    addressWatch_.emplace(hwnd_, WM_KESTRIN_ADDRESS_CHANGED);
}

// Before the window goes: no callback may post to it afterwards.
void frmMain::StopWatchingNetwork() {
    addressWatch_.reset();
    suspendResume_.reset();
    KillTimer(hwnd_, kFreshnessTimer);
}

HANDLE frmMain::AddressChangeEvent() const noexcept {
    return addressWatch_ ? addressWatch_->Event() : nullptr;
}

void frmMain::OnAddressChangeEvent() {
    if (!addressWatch_) return;
    addressWatch_->OnSignalled();
    OnNetworkChanged();
}

void frmMain::OnTestSignalAddressEvent() {
    if (addressWatch_) addressWatch_->SignalAsIfChanged();
}

// Suspending, power-status changes and the rest say nothing about the network.
void frmMain::OnPowerBroadcast(WPARAM event) {
    if (event == kResumeSuspend || event == kResumeAutomatic) OnNetworkChanged();
}

void frmMain::OnNetworkChanged() {
    freshness_.NetworkChanged(GetTickCount());
    ArmFreshnessTimer();
}

void frmMain::OnFreshnessTimer() {
    KillTimer(hwnd_, kFreshnessTimer);
    // A timer may fire a clock step early; ArmFreshnessTimer then waits out the rest.
    if (freshness_.IsDue(GetTickCount())) {
        const CycleOutcome outcome = RefreshInfo();
        freshness_.DueLookupRan(GetTickCount(), outcome);
    }
    ArmFreshnessTimer();
}

void frmMain::AfterOtherLookup(CycleOutcome outcome) {
    freshness_.OtherLookupRan(outcome);
    ArmFreshnessTimer();
}

void frmMain::ArmFreshnessTimer() {
    const auto wait = freshness_.WaitBefore(GetTickCount());
    if (!wait) {
        KillTimer(hwnd_, kFreshnessTimer);
        return;
    }
    // Setting it again replaces the wait that was set.
    SetTimer(hwnd_, kFreshnessTimer, *wait > USER_TIMER_MINIMUM ? *wait : USER_TIMER_MINIMUM,
             nullptr);
}

}  // namespace kestrin
