#include "SuspendResumeNotification.h"

#include "SystemFunction.h"

namespace kestrin {
namespace {

// Declared here: the program's headers offer nothing newer than Windows XP.
constexpr DWORD kNotifyWindowHandle = 0;  // DEVICE_NOTIFY_WINDOW_HANDLE
using RegisterSuspendResumeNotificationFn = void*(WINAPI*)(HANDLE recipient, DWORD flags);
using UnregisterSuspendResumeNotificationFn = BOOL(WINAPI*)(void* registration);

UnregisterSuspendResumeNotificationFn UnregisterFunction() {
    return SystemFunction<UnregisterSuspendResumeNotificationFn>(
        L"user32.dll", "UnregisterSuspendResumeNotification");
}

}  // namespace

// Only where it can also be undone.
SuspendResumeNotification::SuspendResumeNotification(HWND window) {
    const auto registerFor = SystemFunction<RegisterSuspendResumeNotificationFn>(
        L"user32.dll", "RegisterSuspendResumeNotification");
    if (registerFor && UnregisterFunction())
        registration_ = registerFor(window, kNotifyWindowHandle);
}

SuspendResumeNotification::~SuspendResumeNotification() {
    // result ignored: the registration ends with the process anyway
    if (registration_) UnregisterFunction()(registration_);
}

}  // namespace kestrin
