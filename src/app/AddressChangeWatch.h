#pragma once
// Tells the window when the machine's IP addresses change, without a thread of its own.
// IPv4 changes come through NotifyAddrChange (every Windows from XP on): an overlapped
// request whose event the message loop waits for, asked again after each change. IPv6
// changes come through NotifyUnicastIpAddressChange (Vista and later, looked up at run
// time), whose callback runs on a system thread and only posts a message to the window.

#include <windows.h>

#include "Handles.h"

namespace kestrin {

class AddressChangeWatch {
public:
    // changedMessage is posted to window on an IPv6 change.
    AddressChangeWatch(HWND window, UINT changedMessage);
    // Cancels both requests: no callback reaches the window after this.
    ~AddressChangeWatch();
    AddressChangeWatch(const AddressChangeWatch&) = delete;
    AddressChangeWatch& operator=(const AddressChangeWatch&) = delete;

    // What the message loop waits for beside messages; nullptr when IPv4 changes cannot
    // be watched. Auto-reset: a wait that sees it signalled also clears it.
    HANDLE Event() const noexcept { return watching_ ? event_.get() : nullptr; }
    // The event was signalled, so an IPv4 change happened: asks for the next one.
    void OnSignalled() noexcept;
    // Signals the event as Windows does on a change. Addresses cannot be changed under
    // Wine, where NotifyAddrChange never signals, so the tests come in this way.
    void SignalAsIfChanged() const noexcept;

private:
    static void WINAPI OnIpv6Change(void* self, void* row, int type);
    bool AskForNextChange() noexcept;
    void WatchIpv6() noexcept;
    void StopIpv4() noexcept;
    void StopIpv6() noexcept;

    HWND window_;
    UINT changedMessage_;
    UniqueKernelHandle event_;
    OVERLAPPED overlapped_{};
    bool watching_ = false;
    HANDLE ipv6Notification_ = nullptr;  // a registration: cancelled, never closed
};

}  // namespace kestrin
