#pragma once
// Asks Windows to tell the window when the computer suspends and resumes. Plain windows
// get WM_POWERBROADCAST for it anyway, except on machines with Modern Standby (Windows 8
// and later), which tell only the windows registered for it. The registration exists from
// Windows 8 on and is looked up at run time; elsewhere this does nothing.

#include <windows.h>

namespace kestrin {

class SuspendResumeNotification {
public:
    explicit SuspendResumeNotification(HWND window);
    ~SuspendResumeNotification();
    SuspendResumeNotification(const SuspendResumeNotification&) = delete;
    SuspendResumeNotification& operator=(const SuspendResumeNotification&) = delete;

private:
    void* registration_ = nullptr;  // an HPOWERNOTIFY
};

}  // namespace kestrin
