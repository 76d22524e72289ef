// The program icon as Windows loads it: for each small-icon size, 100 % to 200 %, a frame
// drawn at that size, so nothing is stretched.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Handles.h"
#include "resource.h"

namespace kestrin::test {
namespace {

const BYTE* ResourceBits(HMODULE module, int id, LPCWSTR type, DWORD* bytes = nullptr) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return nullptr;
    if (bytes) *bytes = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

// The icon drawn on white at its own size, as top-down rows of 0x00RRGGBB.
std::vector<std::uint32_t> DrawnPixels(HICON icon, int size) {
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const UniqueBitmap canvas(
        CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, canvas.get());
    const RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(first, first + size * size);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return pixels;
}

TEST(ProgramIcon, LoadsAFrameDrawnAtEachSmallIconSizeFrom100To200Percent) {
    HMODULE self = GetModuleHandleW(nullptr);
    const BYTE* group = ResourceBits(self, IDI_KESTRIN, MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    for (int size : {16, 20, 24, 32}) {
        SCOPED_TRACE(size);
        // The frame Windows picks for this size was drawn at it.
        const int frameId = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group), TRUE, size,
                                                        size, LR_DEFAULTCOLOR);
        DWORD frameBytes = 0;
        const BYTE* frame =
            ResourceBits(self, frameId, MAKEINTRESOURCEW(3), &frameBytes);  // RT_ICON
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(frame)->biWidth, size);

        // LoadImage hands out that frame as it is, not a neighbour stretched.
        const UniqueIcon loaded(static_cast<HICON>(
            LoadImageW(self, MAKEINTRESOURCEW(IDI_KESTRIN), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(loaded);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(loaded.get(), &info));
        const UniqueBitmap colour(info.hbmColor);
        const UniqueBitmap mask(info.hbmMask);
        EXPECT_EQ(BitmapSize(colour.get()).cx, size);
        EXPECT_EQ(BitmapSize(colour.get()).cy, size);
        const UniqueIcon own(CreateIconFromResourceEx(const_cast<BYTE*>(frame), frameBytes, TRUE,
                                                      0x00030000, 0, 0, LR_DEFAULTCOLOR));
        EXPECT_EQ(DrawnPixels(loaded.get(), size), DrawnPixels(own.get(), size));
    }
}

}  // namespace
}  // namespace kestrin::test
