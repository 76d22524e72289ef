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

RECT ShownWindow::PlaceOf(int id) const {
    RECT place;
    GetWindowRect(Control(id), &place);
    MapWindowPoints(nullptr, Main(), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

LOGFONTW ShownWindow::FontOf(int id) const {
    LOGFONTW font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0));
    GetObjectW(handle, sizeof font, &font);
    return font;
}

ScreenCapture ShownWindow::Shot() const {
    SetForegroundWindow(Main());
    PumpUntilPainted(Main());
    return ScreenCapture(Main());
}

void ShownWindow::ExpectControlsWhereTheLayoutPutsThem(int dpi) const {
    const struct {
        int id;
        layout::Box box;
    } places[] = {
        {IDC_L_TOP, layout::l_top},       {IDC_L_BOTTOM, layout::l_bottom},
        {IDC_L_ICO, layout::l_ico},       {IDC_L_TEXT, layout::l_text},
        {IDC_IMG_CLOSE, layout::img_close}, {IDC_FRM1, layout::Frm1},
        {IDC_T_PUBLIC, layout::t_public}, {IDC_BTN_REFRESH, layout::btn_refresh},
        {IDC_FRM2, layout::Frm2},         {IDC_T_HOST, layout::t_host},
    };
    for (const auto& [id, box] : places) {
        const auto expected = layout::Scale(box, dpi);
        const RECT place = PlaceOf(id);
        EXPECT_EQ(place.left, expected.left) << "control " << id;
        EXPECT_EQ(place.top, expected.top) << "control " << id;
        EXPECT_EQ(place.right - place.left, expected.width) << "control " << id;
        EXPECT_EQ(place.bottom - place.top, expected.height) << "control " << id;
    }
}

}  // namespace kestrin::test
