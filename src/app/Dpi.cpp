#include "Dpi.h"

#include "Layout.h"

namespace kestrin {
namespace {

using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// Functions of Windows 10 1607 and later, looked up where they may be missing.
template <typename Function>
Function NewerUser32Function(const char* name) {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    // void(*)() first: the one function type GCC lets any other be cast through.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : layout::kBaseDpi;
}

int SystemMetricForDpi(int metric, int dpi) {
    if (const auto forDpi = NewerUser32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi"))
        return forDpi(metric, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(metric), dpi, ScreenDpi());
}

SIZE OuterSizeForDpi(SIZE inner, DWORD style, DWORD exStyle, int dpi) {
    RECT outer{0, 0, inner.cx, inner.cy};
    const auto forDpi = NewerUser32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (forDpi)
        forDpi(&outer, style, FALSE, exStyle, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace kestrin
