#include "WinTestSupport.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "Handles.h"

namespace kestrin::test {

std::wstring ServerUrl(const std::wstring& path) {
    return std::wstring(KESTRIN_TEST_SERVER) + path;
}

std::wstring TlsServerUrl(int portOffset, const std::wstring& path) {
    return L"https://localhost:" + std::to_wstring(KESTRIN_TEST_PORT + portOffset) + path;
}

std::string HttpGetText(const std::wstring& url) {
    UniqueInternet session(
        InternetOpenW(L"kestrin-tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    UniqueInternet request(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0,
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                                            0));
    if (!request) return {};
    return ReadBody(request.get());
}

std::string ReadBody(HINTERNET request) {
    std::string body;
    char chunk[4096];
    DWORD got = 0;
    while (InternetReadFile(request, chunk, sizeof chunk, &got) && got > 0)
        body.append(chunk, got);
    return body;
}

void ChooseServerReply(const std::wstring& name) {
    HttpGetText(ServerUrl(L"/control/mode/" + name));
}

int ServedLookups() {
    return std::stoi("0" + HttpGetText(ServerUrl(L"/control/count")));
}

int ServedLookupsOn(const std::wstring& listener) {
    return std::stoi("0" + HttpGetText(ServerUrl(L"/control/count/" + listener)));
}

int RequestsOn(const std::wstring& listener) {
    return std::stoi("0" + HttpGetText(ServerUrl(L"/control/requests/" + listener)));
}

std::wstring WindowTextOf(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    return std::wstring(text, copied);
}

namespace {

NOTIFYICONDATAW IconKey(HWND window, UINT id) {
    NOTIFYICONDATAW key{};
    key.cbSize = NOTIFYICONDATAW_V1_SIZE;
    key.hWnd = window;
    key.uID = id;
    return key;
}

}  // namespace

bool TrayHasIcon(HWND window, UINT id) {
    auto key = IconKey(window, id);
    return Shell_NotifyIconW(NIM_MODIFY, &key) != FALSE;
}

void ForgetTrayIcon(HWND window, UINT id) {
    auto key = IconKey(window, id);
    Shell_NotifyIconW(NIM_DELETE, &key);
}

DWORD CountOpenHandles(HANDLE process) {
    constexpr std::uintptr_t kHighestProbed = 0x10000;
    DWORD count = 0;
    for (std::uintptr_t value = 4; value <= kHighestProbed; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy,
                            0, FALSE, DUPLICATE_SAME_ACCESS)) {
            CloseHandle(copy);
            ++count;
        }
    }
    return count;
}

namespace {

BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<std::pair<DWORD, DWORD>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count->first) {
        ++count->second;
        EnumChildWindows(window, CountWindow, param);
    }
    return TRUE;
}

}  // namespace

DWORD CountWindows(DWORD processId) {
    std::pair<DWORD, DWORD> count{processId, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count.second;
}

DWORD CountThreads(DWORD processId) {
    const UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry))
        count += entry.th32OwnerProcessID == processId;
    return count;
}

const ExpectedBoxes& ExpectedBoxesFor(std::string_view reply) {
    for (const auto& row : kExpectedBoxes)
        if (reply == row.reply) return row;
    std::abort();  // a test names a reply the server does not have
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TempFolder::TempFolder(const std::wstring& name) {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(static_cast<DWORD>(std::size(base)), base);
    path_ = std::wstring(base) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64());
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = path_ + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(full.c_str());
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path_.c_str());
}

namespace {

// Wine reads the DPI of a new process from here.
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

void SetLogPixels(const DWORD* dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    if (dpi)
        RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(dpi),
                       sizeof *dpi);
    else
        RegDeleteValueW(key, L"LogPixels");
    RegCloseKey(key);
}

}  // namespace

ScopedSystemDpi::ScopedSystemDpi(DWORD dpi) { SetLogPixels(&dpi); }

ScopedSystemDpi::~ScopedSystemDpi() { SetLogPixels(nullptr); }

DWORD RunThisProgram(const std::wstring& arguments) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(path) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return static_cast<DWORD>(-1);
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.get(), &code);
    return code;
}

bool TempFolder::IsEmpty() const {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") empty = false;
    } while (empty && FindNextFileW(find, &entry));
    FindClose(find);
    return empty;
}

}  // namespace kestrin::test
