// The baseline that does a lookup cycle's work and nothing more, written plainly and built
// like kestrin.exe: a window with the refresh timer and two boxes. A cycle, run before the
// window shows, on each tick and on a click of its one button, makes one WinINet GET on a
// worker thread that the window's thread waits for and abandons at the deadline, writes
// the reply to a file in TEMP, reads it back, deletes it and sets the boxes to its first
// two lines. The bench clicks the button as it clicks Kestrin's refresh button.

#include <windows.h>
#include <wininet.h>

#include <initializer_list>

#include "BaselineWindow.h"
#include "BuildConfig.h"
#include "HttpFetch.h"
#include "ProgramSettings.h"
#include "Reply.h"
#include "resource.h"

namespace {

constexpr wchar_t kReplyFile[] = L"\\same-work-lookup.txt";

void* Allocate(SIZE_T bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }
void Free(void* memory) { HeapFree(GetProcessHeap(), 0, memory); }

// What the window's thread and the worker share; the last of the two to let go frees it.
struct Job {
    HANDLE done;  // manual reset, set by the worker as it ends
    volatile LONG shares;
    CRITICAL_SECTION lock;  // guards the three below
    bool abandoned;
    HINTERNET session;
    HINTERNET request;
    DWORD length;  // of body, read once done is set; 0 when the GET failed
    char body[kestrin::kMaxReplyBytes + 1];  // one byte more tells a reply too large
};

void Release(Job* job) {
    if (InterlockedDecrement(&job->shares) != 0) return;
    if (job->done) CloseHandle(job->done);
    DeleteCriticalSection(&job->lock);
    Free(job);
}

// Hands a handle to the job, or closes it when the window's thread has given up.
bool Keep(Job* job, HINTERNET& slot, HINTERNET handle) {
    if (!handle) return false;
    EnterCriticalSection(&job->lock);
    const bool kept = !job->abandoned;
    if (kept) slot = handle;
    LeaveCriticalSection(&job->lock);
    if (!kept) InternetCloseHandle(handle);
    return kept;
}

// Closing the handles also wakes a WinINet call blocked on them.
void CloseHandles(Job* job, bool abandon) {
    EnterCriticalSection(&job->lock);
    job->abandoned = job->abandoned || abandon;
    for (HINTERNET* handle : {&job->request, &job->session}) {
        if (*handle) InternetCloseHandle(*handle);
        *handle = nullptr;
    }
    LeaveCriticalSection(&job->lock);
}

// The reply's length in job->body, or 0 when the GET failed. The handles are used as
// opened: the window's thread may close them at any time, which makes the calls fail.
DWORD Get(Job* job) {
    const HINTERNET session =
        InternetOpenW(L"same-work-lookup", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!Keep(job, job->session, session)) return 0;
    const HINTERNET request =
        InternetOpenUrlW(session, kestrin::kLookupUrl, nullptr, 0, kestrin::kRequestFlags, 0);
    if (!Keep(job, job->request, request)) return 0;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr) ||
        status < 200 || status >= 300)
        return 0;
    DWORD length = 0;
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request, job->body + length, sizeof job->body - length, &got))
            return 0;
        if (got == 0) return length;
        length += got;
        if (length > kestrin::kMaxReplyBytes) return 0;
    }
}

DWORD WINAPI Worker(void* parameter) {
    auto* job = static_cast<Job*>(parameter);
    job->length = Get(job);
    CloseHandles(job, false);
    SetEvent(job->done);
    Release(job);
    return 0;
}

// A started job with the worker on its way, or nullptr when there is no memory or thread.
Job* StartJob() {
    auto* job = static_cast<Job*>(Allocate(sizeof(Job)));
    if (!job) return nullptr;
    job->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    job->shares = 2;
    InitializeCriticalSection(&job->lock);
    job->abandoned = false;
    job->session = job->request = nullptr;
    job->length = 0;
    HANDLE thread = job->done ? CreateThread(nullptr, 0, Worker, job, 0, nullptr) : nullptr;
    if (!thread) {
        job->shares = 1;
        Release(job);
        return nullptr;
    }
    CloseHandle(thread);  // the job is how the two threads meet
    return job;
}

bool WriteReply(const wchar_t* file, const char* bytes, DWORD length) {
    HANDLE out = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(out, bytes, length, &written, nullptr) && written == length;
    CloseHandle(out);
    return ok;
}

DWORD ReadReply(const wchar_t* file, char* bytes) {
    HANDLE in = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return 0;
    DWORD count = 0;
    if (!ReadFile(in, bytes, kestrin::kMaxReplyBytes, &count, nullptr)) count = 0;
    CloseHandle(in);
    return count;
}

// The text up to the line's end, ended there with a NUL; where the next line starts.
wchar_t* EndLine(wchar_t* line) {
    wchar_t* end = line;
    while (*end && *end != L'\n') ++end;
    wchar_t* next = *end ? end + 1 : end;
    if (end > line && end[-1] == L'\r') --end;
    *end = L'\0';
    return next;
}

void ShowLines(HWND window, const char* bytes, DWORD length) {
    auto* text = static_cast<wchar_t*>(Allocate((length + 1) * sizeof(wchar_t)));
    if (!text) return;
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), text,
                                          static_cast<int>(length));
    text[chars > 0 ? chars : 0] = L'\0';
    wchar_t* second = EndLine(text);
    EndLine(second);
    SetDlgItemTextW(window, IDC_T_PUBLIC, text);
    SetDlgItemTextW(window, IDC_T_HOST, second);
    Free(text);
}

void RunCycle(HWND window) {
    wchar_t file[MAX_PATH + 32];
    const DWORD tempChars = GetEnvironmentVariableW(L"TEMP", file, MAX_PATH);
    if (tempChars == 0 || tempChars >= MAX_PATH) return;
    lstrcatW(file, kReplyFile);
    Job* job = StartJob();
    if (!job) return;
    // Only this thread writes the file, and only from a job that met the deadline.
    bool written = false;
    if (WaitForSingleObject(job->done, kestrin::kDownloadDeadlineMs) == WAIT_OBJECT_0)
        written = job->length > 0 && WriteReply(file, job->body, job->length);
    else
        CloseHandles(job, true);
    Release(job);
    if (!written) return;
    auto* bytes = static_cast<char*>(Allocate(kestrin::kMaxReplyBytes));
    if (bytes) {
        ShowLines(window, bytes, ReadReply(file, bytes));
        Free(bytes);
    }
    DeleteFileW(file);
}

HWND AddControl(HWND parent, const wchar_t* kind, DWORD style, int id, int top) {
    return CreateWindowExW(0, kind, kind[0] == L'B' ? L"refresh" : L"",
                           WS_CHILD | WS_VISIBLE | style, 10, top, 390, 24, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool clicked = message == WM_COMMAND && LOWORD(wParam) == IDC_BTN_REFRESH &&
                         HIWORD(wParam) == BN_CLICKED;
    if (clicked || (message == WM_TIMER && wParam == kestrin::bench::kBaselineTimer)) {
        RunCycle(window);
        return 0;
    }
    return kestrin::bench::BaselineDefault(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HWND window =
        kestrin::bench::CreateBaselineWindow(instance, L"KestrinBench.SameWorkLookup", WindowProc);
    if (!window) return 1;
    const DWORD box = ES_READONLY | ES_AUTOHSCROLL;
    AddControl(window, L"BUTTON", BS_PUSHBUTTON, IDC_BTN_REFRESH, 10);
    AddControl(window, L"EDIT", box, IDC_T_PUBLIC, 50);
    AddControl(window, L"EDIT", box, IDC_T_HOST, 90);
    // As Kestrin does: the first answers are in the boxes when the window shows.
    RunCycle(window);
    return kestrin::bench::ShowAndRun(window, kestrin::kRefreshIntervalMs);
}
