#include "WindowsVersion.h"

#include <windows.h>

namespace kestrin {

bool IsOlderThanWindows7() noexcept {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 6;
    wanted.dwMinorVersion = 1;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return !VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, condition);
}

}  // namespace kestrin
