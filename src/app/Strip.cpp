#include "Strip.h"

#include "Painting.h"

namespace kestrin {
namespace {

constexpr wchar_t kStripClass[] = L"Kestrin.Strip";

void PaintStrip(HWND strip) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(strip, &ps);
    RECT client;
    GetClientRect(strip, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (auto picture = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(strip, GWLP_USERDATA))) {
        const BitmapDc source(dc, picture);
        const SIZE size = source.size();
        StretchBlt(dc, 0, 0, client.right, size.cy, source.get(), 0, 0, size.cx, size.cy,
                   SRCCOPY);
    }
    EndPaint(strip, &ps);
}

LRESULT CALLBACK StripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // the window itself decides what a press on a strip does
    case WM_ERASEBKGND:
        return 1;  // painting covers every pixel
    case WM_PAINT:
        PaintStrip(strip);
        return 0;
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM:
        return SendMessageW(GetParent(strip), message, wParam, lParam);
    default:
        return DefWindowProcW(strip, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterStripClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = StripProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kStripClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateStrip(HWND parent, int id) {
    return CreateWindowExW(WS_EX_CONTROLPARENT, kStripClass, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                           nullptr);
}

void SetStripPicture(HWND strip, HBITMAP picture) {
    SetWindowLongPtrW(strip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
}

}  // namespace kestrin
