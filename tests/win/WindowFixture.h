#pragma once
// The real window, created and shown in the test's own process, and what tests read of it.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "ProgramSettings.h"
#include "ScreenCapture.h"
#include "frmMain.h"

namespace kestrin::test {

int SystemDpi();

// Runs this thread's messages until none waits and every part of the window has painted.
void PumpUntilPainted(HWND window);

// The window's reference picture at 96, 120 or 144 DPI, taken from a window started at that
// DPI with both boxes filled with the server's "two" reply (the screenshot the window tests
// save, as PNG); nothing when there is none for that DPI.
std::optional<ScreenCapture> ReferencePicture(int dpi);

class ShownWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    HWND Main() const { return window_.hWnd(); }
    HWND Control(int id) const;
    LOGFONTW FontOf(int id) const;
    // The refresh button's caption, measured in the button's own font, lies inside its
    // 2-pixel edge and its focus rectangle with a pixel to spare on each side.
    void ExpectButtonCaptionFits() const;
    ScreenCapture Shot() const;

    const int dpi_ = SystemDpi();
    frmMain window_{GetModuleHandleW(nullptr), kLookupUrl, kRefreshIntervalMs};
};

}  // namespace kestrin::test
