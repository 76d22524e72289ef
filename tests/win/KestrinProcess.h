#pragma once
// kestrin.exe, or another program beside the test program, started by a test with its
// own TEMP and found by its window.

#include <windows.h>

#include <concepts>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Handles.h"
#include "WinTestSupport.h"
#include "resource.h"

namespace kestrin::test {

// A program in the test program's folder and the class of its main window.
struct ProgramFile {
    const wchar_t* exe;
    const wchar_t* windowClass;
};
inline constexpr ProgramFile kKestrinExe{L"kestrin.exe", KESTRIN_WINDOW_CLASS};

class KestrinProcess {
public:
    // Starts the program with TEMP set to tempDir, or with no TEMP at all, in the given
    // working folder (the test's own when empty).
    KestrinProcess(const ProgramFile& program, std::optional<std::wstring> tempDir,
                   const std::wstring& workingFolder = L"");
    explicit KestrinProcess(std::optional<std::wstring> tempDir,
                            const std::wstring& workingFolder = L"")
        : KestrinProcess(kKestrinExe, std::move(tempDir), workingFolder) {}
    ~KestrinProcess();  // ends the program if it still runs
    KestrinProcess(const KestrinProcess&) = delete;
    KestrinProcess& operator=(const KestrinProcess&) = delete;

    bool Started() const noexcept { return static_cast<bool>(process_); }
    // The program's main window once it exists, or nullptr after timeoutMs.
    HWND FindMainWindow(DWORD timeoutMs = 15000);
    // Waits for the first showing of the window and then for ready(*this), checking every
    // pollMs; false after timeoutMs or once the program has ended.
    template <std::predicate<const KestrinProcess&> Ready>
    bool WaitUntilShown(Ready ready, DWORD timeoutMs = 15000, DWORD pollMs = 50) {
        bool shown = false;
        WaitFor(
            [&] {
                shown = IsShown() && ready(*this);
                return shown || HasExited();
            },
            timeoutMs, pollMs);
        return shown;
    }
    bool WaitUntilShown(DWORD timeoutMs = 15000) {
        return WaitUntilShown([](const KestrinProcess&) { return true; }, timeoutMs);
    }
    bool WaitForExit(DWORD timeoutMs = 10000);
    bool HasExited() const;
    DWORD ExitCode() const;

    // The program file as started; Wine shows it as the command line of the Linux process.
    const std::wstring& path() const noexcept { return path_; }
    HANDLE process() const noexcept { return process_.get(); }
    HWND window() const noexcept { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    // Controls inside the top strip are found through it.
    HWND StripControl(int id) const;
    std::wstring Text(int id) const;
    // Kestrin's close picture clicked as the mouse would: down and up posted to it.
    void ClickCloseImage() const;
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
    // Looks for the main window until found; whether it is visible now.
    bool IsShown();

    std::wstring path_;
    const wchar_t* windowClass_;
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
