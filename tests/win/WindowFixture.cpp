#include "WindowFixture.h"

#include "Layout.h"
#include "WinTestSupport.h"
#include "resource.h"

namespace kestrin::test {
namespace {

BOOL CALLBACK NoteUnpaintedChild(HWND child, LPARAM unpainted) {
    if (!GetUpdateRect(child, nullptr, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(unpainted) = true;
    return FALSE;
}

bool HasUnpaintedPart(HWND window) {
    bool unpainted = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    if (!unpainted) EnumChildWindows(window, NoteUnpaintedChild, reinterpret_cast<LPARAM>(&unpainted));
    return unpainted;
}

}  // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

void PumpUntilPainted(HWND window) {
    const ULONGLONG end = GetTickCount64() + 5000;
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    } while ((HasUnpaintedPart(window) || GetQueueStatus(QS_ALLINPUT) != 0) &&
             GetTickCount64() < end);
    GdiFlush();
}

std::optional<ScreenCapture> ReferencePicture(int dpi) {
    if (dpi != 96 && dpi != 120 && dpi != 144) return std::nullopt;
    const std::wstring name = L"window-" + std::to_wstring(dpi) + L"dpi.png";
    return ScreenCapture::FromFile(std::wstring(KESTRIN_TEST_DATA) + L"/" + name);
}

void ShownWindow::SetUpTestSuite() { ChooseServerReply(L"two"); }

void ShownWindow::SetUp() {
    ASSERT_TRUE(window_.Load());
    window_.Show();
    PumpUntilPainted(Main());
}

HWND ShownWindow::Control(int id) const {
    HWND control = GetDlgItem(Main(), id);
    return control ? control : GetDlgItem(GetDlgItem(Main(), IDC_L_TOP), id);
}

LOGFONTW ShownWindow::FontOf(int id) const {
    LOGFONTW font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0));
    GetObjectW(handle, sizeof font, &font);
    return font;
}

void ShownWindow::ExpectButtonCaptionFits() const {
    constexpr int kClear = 2 + 1 + 1;  // the edge, the focus rectangle, a pixel between
    HWND button = Control(IDC_BTN_REFRESH);
    const std::wstring caption = WindowTextOf(button);
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0));
    HDC dc = GetDC(button);
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, previous);
    ReleaseDC(button, dc);
    RECT client;
    GetClientRect(button, &client);
    EXPECT_LE(extent.cx, client.right - 2 * kClear) << "in " << face;
    EXPECT_LE(extent.cy, client.bottom - 2 * kClear) << "in " << face;
}

ScreenCapture ShownWindow::Shot() const {
    SetForegroundWindow(Main());
    PumpUntilPainted(Main());
    return ScreenCapture(Main());
}

}  // namespace kestrin::test
