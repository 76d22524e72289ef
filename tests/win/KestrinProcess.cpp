#include "KestrinProcess.h"

#include <vector>

#include "WinTestSupport.h"
#include "resource.h"

namespace kestrin::test {
namespace {

// The first top-level window of the process with the given class. The system filters by
// class, so that a search repeated every millisecond costs the program under test little.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && (!visibleOnly || IsWindowVisible(window))) return window;
    }
    return nullptr;
}

}  // namespace

// This process's environment with TEMP replaced or removed, as CreateProcessW takes it.
std::vector<wchar_t> EnvironmentWithTemp(const std::optional<std::wstring>& tempDir) {
    std::vector<wchar_t> block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
        if (_wcsnicmp(entry, L"TEMP=", 5) == 0) continue;
        block.insert(block.end(), entry, entry + wcslen(entry) + 1);
    }
    FreeEnvironmentStringsW(strings);
    if (tempDir) {
        const std::wstring temp = L"TEMP=" + *tempDir;
        block.insert(block.end(), temp.c_str(), temp.c_str() + temp.size() + 1);
    }
    block.push_back(L'\0');
    return block;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

KestrinProcess::KestrinProcess(const ProgramFile& program, std::optional<std::wstring> tempDir,
                               const std::wstring& workingFolder)
    : path_(ProgramFolder() + L"\\" + program.exe), windowClass_(program.windowClass) {
    std::wstring commandLine = L"\"" + path_ + L"\"";
    auto environment = EnvironmentWithTemp(tempDir);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT, environment.data(),
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                       &info)) {
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        processId_ = info.dwProcessId;
    }
}

KestrinProcess::~KestrinProcess() {
    if (!process_ || HasExited()) return;
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (!WaitForExit(5000)) TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
}

HWND KestrinProcess::FindMainWindow(DWORD timeoutMs) {
    WaitFor(
        [&] {
            window_ = FindProcessWindow(processId_, windowClass_, false);
            return window_ != nullptr || HasExited();
        },
        timeoutMs);
    return window_;
}

bool KestrinProcess::IsShown() {
    if (!window_) window_ = FindProcessWindow(processId_, windowClass_, false);
    return window_ && IsWindowVisible(window_);
}

bool KestrinProcess::WaitForExit(DWORD timeoutMs) {
    return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool KestrinProcess::HasExited() const {
    return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
}

DWORD KestrinProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

HWND KestrinProcess::ShownWindowOfClass(const wchar_t* className) const {
    return FindProcessWindow(processId_, className, true);
}

KestrinProcess::Resources KestrinProcess::CountResources() const {
    return {GetGuiResources(process_.get(), GR_GDIOBJECTS),
            GetGuiResources(process_.get(), GR_USEROBJECTS), CountOpenHandles(process_.get()),
            CountWindows(processId_), CountThreads(processId_)};
}

HWND KestrinProcess::StripControl(int id) const {
    return GetDlgItem(Control(IDC_L_TOP), id);
}

void KestrinProcess::ClickCloseImage() const {
    HWND closeImage = StripControl(IDC_IMG_CLOSE);
    PostMessageW(closeImage, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    PostMessageW(closeImage, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
}

std::wstring KestrinProcess::Text(int id) const {
    HWND control = Control(id);
    return WindowTextOf(control ? control : StripControl(id));
}

}  // namespace kestrin::test
