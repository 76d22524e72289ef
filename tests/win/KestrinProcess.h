#pragma once
// kestrin.exe started by a test, with its own TEMP, found by its window.

#include <windows.h>

#include <string>

#include "Handles.h"

namespace kestrin::test {

class KestrinProcess {
public:
    // Starts kestrin.exe (beside the test program) with TEMP set to tempDir.
    explicit KestrinProcess(const std::wstring& tempDir);
    ~KestrinProcess();  // ends the program if it still runs
    KestrinProcess(const KestrinProcess&) = delete;
    KestrinProcess& operator=(const KestrinProcess&) = delete;

    bool Started() const noexcept { return static_cast<bool>(process_); }
    // The program's main window once it exists, or nullptr after timeoutMs.
    HWND FindMainWindow(DWORD timeoutMs = 15000);
    // Waits for the first showing of the window; false after timeoutMs.
    bool WaitUntilShown(DWORD timeoutMs = 15000);
    bool WaitForExit(DWORD timeoutMs = 10000);
    bool HasExited() const;
    DWORD ExitCode() const;

    HWND window() const noexcept { return window_; }
    DWORD processId() const noexcept { return processId_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    // Controls inside the top strip are found through it.
    HWND StripControl(int id) const;
    std::wstring Text(int id) const;

private:
    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// The folder that holds the running test program.
std::wstring ProgramFolder();

}  // namespace kestrin::test
