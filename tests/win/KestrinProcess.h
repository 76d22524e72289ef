#pragma once
// kestrin.exe started by a test, with its own TEMP, found by its window.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Handles.h"

namespace kestrin::test {

class KestrinProcess {
public:
    // Starts kestrin.exe (beside the test program) with TEMP set to tempDir, or with no
    // TEMP at all, in the given working folder (the test's own when empty).
    explicit KestrinProcess(std::optional<std::wstring> tempDir,
                            const std::wstring& workingFolder = L"");
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
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    // Controls inside the top strip are found through it.
    HWND StripControl(int id) const;
    std::wstring Text(int id) const;
    // The program's shown top-level window of a class, e.g. L"#32768" for an open menu
    // and L"#32770" for a message box; nullptr when there is none.
    HWND ShownWindowOfClass(const wchar_t* className) const;
    // What the program holds. GDI and USER counts come from GetGuiResources, which Wine
    // does not implement (it answers 0); handles are counted by probing, which works there.
    struct Resources {
        DWORD gdi;
        DWORD user;
        DWORD handles;
        DWORD windows;
        DWORD threads;
    };
    Resources CountResources() const;

private:
    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// The folder that holds the running test program.
std::wstring ProgramFolder();

// This process's environment with TEMP replaced, or removed when tempDir is empty, in
// the form CreateProcessW takes with CREATE_UNICODE_ENVIRONMENT.
std::vector<wchar_t> EnvironmentWithTemp(const std::optional<std::wstring>& tempDir);

}  // namespace kestrin::test
