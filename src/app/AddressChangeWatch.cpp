#include "AddressChangeWatch.h"

#include <iphlpapi.h>

#include "SystemFunction.h"

namespace kestrin {
namespace {

// Declared here: the program's headers offer nothing newer than Windows XP.
constexpr USHORT kIpv6Family = 23;  // AF_INET6
using UnicastChangeCallback = void(WINAPI*)(void* context, void* row, int type);
using NotifyUnicastIpAddressChangeFn = DWORD(WINAPI*)(USHORT family,
                                                      UnicastChangeCallback callback,
                                                      void* context, BOOLEAN initialNotification,
                                                      HANDLE* notification);
using CancelMibChangeNotify2Fn = DWORD(WINAPI*)(HANDLE notification);

CancelMibChangeNotify2Fn CancelFunction() {
    return SystemFunction<CancelMibChangeNotify2Fn>(L"iphlpapi.dll", "CancelMibChangeNotify2");
}

// A cancelled request completes soon; this only bounds the wait should it not.
constexpr DWORD kCancelWaitMs = 1000;

}  // namespace

AddressChangeWatch::AddressChangeWatch(HWND window, UINT changedMessage)
    : window_(window),
      changedMessage_(changedMessage),
      // Auto-reset: a manual-reset event that Kestrin set itself would stay signalled
      // where asking again does not reset it (Wine), and the message loop would spin.
      event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    watching_ = event_ && AskForNextChange();
    WatchIpv6();
}

AddressChangeWatch::~AddressChangeWatch() {
    StopIpv6();
    StopIpv4();
}

// Under Wine, NotifyAddrChange is a stub: it answers ERROR_IO_PENDING and never signals,
// so the event is simply never seen set.
bool AddressChangeWatch::AskForNextChange() noexcept {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.get();
    HANDLE device = nullptr;  // iphlpapi's own: never closed by its callers
    return NotifyAddrChange(&device, &overlapped_) == ERROR_IO_PENDING;
}

void AddressChangeWatch::OnSignalled() noexcept {
    // A request that cannot be made again leaves the loop waiting on messages alone.
    if (watching_) watching_ = AskForNextChange();
}

void AddressChangeWatch::SignalAsIfChanged() const noexcept {
    if (watching_) SetEvent(event_.get());
}

// The request must be over before its OVERLAPPED goes: a late completion would write
// into freed memory.
void AddressChangeWatch::StopIpv4() noexcept {
    if (!watching_) return;
    watching_ = false;
    if (CancelIPChangeNotify(&overlapped_)) WaitForSingleObject(event_.get(), kCancelWaitMs);
}

void WINAPI AddressChangeWatch::OnIpv6Change(void* self, void*, int) {
    const auto* watch = static_cast<const AddressChangeWatch*>(self);
    PostMessageW(watch->window_, watch->changedMessage_, 0, 0);
}

// Only where it can also be cancelled: a callback must never outlive the watch.
void AddressChangeWatch::WatchIpv6() noexcept {
    const auto notify = SystemFunction<NotifyUnicastIpAddressChangeFn>(
        L"iphlpapi.dll", "NotifyUnicastIpAddressChange");
    if (!notify || !CancelFunction()) return;  // before Vista
    HANDLE notification = nullptr;
    if (notify(kIpv6Family, OnIpv6Change, this, FALSE, &notification) == NO_ERROR)
        ipv6Notification_ = notification;
}

// Waits for a callback that is running; the callback only posts, so it cannot wait on us.
void AddressChangeWatch::StopIpv6() noexcept {
    if (!ipv6Notification_) return;
    CancelFunction()(ipv6Notification_);  // result ignored: nothing more can be done
    ipv6Notification_ = nullptr;
}

}  // namespace kestrin
