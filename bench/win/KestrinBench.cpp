// kestrin-bench: measures kestrin.exe and its baselines from outside, under Wine
// or Windows, and prints one "key value" line per result for bench/run.sh.
//   kestrin-bench [--runs N] [--cycles N] [--timed N] [--idle-seconds N]
//   kestrin-bench --hang-cycles N
//   kestrin-bench --tls-cycles N --http-url URL --https-url URL
//   kestrin-bench --exit-runs N
// The second form measures only how long the window goes unanswered while the service
// hangs; the tests' reply server must then serve the lookup URL. The third times the
// program's own lookup cycle in this process over each URL, the same service behind both.
// The fourth times how long Kestrin and the exit baseline take to end on WM_CLOSE.
// Times are in milliseconds, sizes in bytes. Nothing here judges a result.

#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "BuildConfig.h"
#include "ProgramSettings.h"
#include "Handles.h"
#include "HttpFetch.h"
#include "InProcessLookup.h"
#include "KestrinProcess.h"
#include "LinuxCpuTime.h"
#include "WinTestSupport.h"
#include "resource.h"

namespace {

using kestrin::UniqueInternet;
using kestrin::UniqueKernelHandle;
using kestrin::bench::InProcessLookup;
using kestrin::test::HttpGetText;
using kestrin::test::KestrinProcess;
using kestrin::test::LinuxCpuMs;
using kestrin::test::LinuxProcFolder;
using kestrin::test::kKestrinExe;
using kestrin::test::ProgramFile;
using kestrin::test::ReadBody;
using kestrin::test::ServedLookups;
using kestrin::test::ServerUrl;
using kestrin::test::TempFolder;

constexpr ProgramFile kBareWindow{L"bare-window.exe", L"KestrinBench.BareWindow"};
// A lookup cycle's work and no more, driven through its button as Kestrin is.
constexpr ProgramFile kSameWork{L"same-work-lookup.exe", L"KestrinBench.SameWorkLookup"};
// What a tray program that asks the network sets up and undoes: the exit baseline.
constexpr ProgramFile kTrayLookup{L"tray-lookup.exe", L"KestrinBench.TrayLookup"};
// The window is polled every millisecond, so start-up is timed to about that.
constexpr DWORD kShowTimeoutMs = 30000;
constexpr DWORD kShowPollMs = 1;

struct Options {
    int runs = 7;
    int cycles = 1000;
    int timed = 200;
    int idleSeconds = 300;
    int hangCycles = 0;
    int tlsCycles = 0;
    int exitRuns = 0;
    std::wstring httpUrl;
    std::wstring httpsUrl;
};

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / ticksPerMs;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Nearest rank: the smallest sample that at least 90 % of the samples do not exceed.
double Percentile90(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t rank = (values.size() * 9 + 9) / 10;
    return values[rank - 1];
}

void Print(const char* key, double value) { std::printf("%s %.3f\n", key, value); }
void PrintCount(const std::string& key, unsigned long long value) {
    std::printf("%s %llu\n", key.c_str(), value);
}
void PrintSamples(const char* key, const std::vector<double>& values) {
    Print(key, Median(values));
    std::printf("%s.p90 %.3f\n", key, Percentile90(values));
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    std::printf("%s.min %.3f\n%s.max %.3f\n%s.n %zu\n", key, values.empty() ? 0 : *low, key,
                values.empty() ? 0 : *high, key, values.size());
}

bool BoxesFilled(const KestrinProcess& p) {
    return !p.Text(IDC_T_PUBLIC).empty() && !p.Text(IDC_T_HOST).empty();
}
bool AlwaysReady(const KestrinProcess&) { return true; }

// The same request Kestrin makes, from a fresh session each time as Kestrin does; its
// duration, or a negative number when it fails.
double TimedGet(const std::wstring& url) {
    const double start = NowMs();
    UniqueInternet session(
        InternetOpenW(L"kestrin-bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return -1;
    UniqueInternet request(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0,
                                            kestrin::kRequestFlags, 0));
    if (!request) return -1;
    const std::string body = ReadBody(request.get());
    request.reset();
    session.reset();
    const double elapsed = NowMs() - start;
    return body.empty() ? -1 : elapsed;
}

// A synchronous click returns once the whole lookup cycle has run on the window's thread.
double TimedCycle(HWND button) {
    const double start = NowMs();
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &ignored)) return -1;
    return NowMs() - start;
}

// The cost of any synchronous message to Kestrin, without a lookup.
double TimedNullMessage(HWND window) {
    const double start = NowMs();
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored)) return -1;
    return NowMs() - start;
}

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    const auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

// Prints what the process holds as key.private, key.working_set, key.handles, ...;
// linuxFolder is where Linux shows the process.
void PrintHoldings(const std::string& key, const KestrinProcess& program,
                   const std::wstring& linuxFolder) {
    HANDLE process = program.process();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        PrintCount(key + ".private", memory.PrivateUsage);
        // Windows gives the same commit charge here; Wine fills only this one for another
        // process (from /proc: RssAnon + VmSwap).
        PrintCount(key + ".pagefile", memory.PagefileUsage);
        PrintCount(key + ".working_set", memory.WorkingSetSize);
    }
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles)) PrintCount(key + ".handles", handles);
    const KestrinProcess::Resources held = program.CountResources();
    PrintCount(key + ".handles_probed", held.handles);
    PrintCount(key + ".gdi", held.gdi);
    PrintCount(key + ".user", held.user);
    PrintCount(key + ".windows", held.windows);
    std::printf("%s.wine_cpu %.3f\n", key.c_str(), CpuMs(process));
    std::printf("%s.linux_cpu %.3f\n", key.c_str(), LinuxCpuMs(linuxFolder));
}

// Emptied boxes that are filled again show that a lookup has run since.
void EmptyBoxes(const KestrinProcess& p) {
    for (int id : {IDC_T_PUBLIC, IDC_T_HOST}) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(p.Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""),
                            SMTO_NORMAL, 5000, &ignored);
    }
}

// A timed click on a program whose boxes were emptied first: a negative number when the
// click failed or the cycle left a box empty.
double TimedAnsweredCycle(const KestrinProcess& program) {
    EmptyBoxes(program);
    const double ms = TimedCycle(program.Control(IDC_BTN_REFRESH));
    return BoxesFilled(program) ? ms : -1;
}

void RunCycles(HWND button, int count) {
    for (int i = 0; i < count; ++i) TimedCycle(button);
}

// Process start to a shown window (Kestrin: with both boxes filled), interleaved with a
// bare GET of the lookup URL so all three see the same machine state.
bool MeasureStartUp(const Options& options, const TempFolder& temp) {
    std::vector<double> kestrin, bare, get;
    for (int run = -1; run < options.runs; ++run) {  // run -1 warms the caches, untimed
        double start = NowMs();
        {
            KestrinProcess p(kKestrinExe, temp.path());
            if (!p.WaitUntilShown(BoxesFilled, kShowTimeoutMs, kShowPollMs)) {
                std::fputs("kestrin.exe did not show its answers\n", stderr);
                return false;
            }
            if (run >= 0) kestrin.push_back(NowMs() - start);
        }
        start = NowMs();
        {
            KestrinProcess p(kBareWindow, temp.path());
            if (!p.WaitUntilShown(AlwaysReady, kShowTimeoutMs, kShowPollMs)) {
                std::fputs("bare-window.exe did not show its window\n", stderr);
                return false;
            }
            if (run >= 0) bare.push_back(NowMs() - start);
        }
        const double g = TimedGet(kestrin::kLookupUrl);
        if (run >= 0 && g >= 0) get.push_back(g);
    }
    PrintSamples("startup.kestrin_ms", kestrin);
    PrintSamples("startup.bare_ms", bare);
    PrintSamples("startup.get_ms", get);
    return true;
}

// From WM_CLOSE posted to a program's shown window to the end of its process, or a
// negative number when it did not show or did not end. Posted as the tests' harness and
// a user's close alike deliver it; a second after showing, so that start-up is over.
double TimedExit(const ProgramFile& program, bool (*ready)(const KestrinProcess&),
                 const TempFolder& temp) {
    constexpr DWORD kSettleMs = 1000;
    constexpr DWORD kExitTimeoutMs = 30000;
    KestrinProcess p(program, temp.path());
    if (!p.WaitUntilShown(ready, kShowTimeoutMs, kShowPollMs)) return -1;
    Sleep(kSettleMs);
    const double start = NowMs();
    PostMessageW(p.window(), WM_CLOSE, 0, 0);
    return p.WaitForExit(kExitTimeoutMs) ? NowMs() - start : -1;
}

// Kestrin's exit against the exit baseline's, interleaved, one untimed round first. Both
// ask the lookup URL as they start, so something must answer it.
int RunExit(const Options& options) {
    const TempFolder temp(L"kestrin-bench");
    std::vector<double> kestrin, baseline;
    for (int run = -1; run < options.exitRuns; ++run) {
        const double k = TimedExit(kKestrinExe, BoxesFilled, temp);
        const double b = TimedExit(kTrayLookup, AlwaysReady, temp);
        if (k < 0 || b < 0) {
            std::fputs(k < 0 ? "kestrin.exe did not show or end\n"
                             : "tray-lookup.exe did not show or end\n",
                       stderr);
            return 1;
        }
        if (run < 0) continue;
        kestrin.push_back(k);
        baseline.push_back(b);
    }
    PrintSamples("exit.kestrin_ms", kestrin);
    PrintSamples("exit.tray_lookup_ms", baseline);
    return 0;
}

// From a resume message, as Windows sends it on waking, to both boxes filled again: the
// quiet period, then one lookup cycle. The boxes are emptied before each run. All runs
// end before the copy's first timer tick, which would fill the boxes too.
bool MeasureResume(const Options& options, const TempFolder& temp) {
    constexpr WPARAM kResumeAutomatic = 0x12;  // PBT_APMRESUMEAUTOMATIC
    KestrinProcess p(kKestrinExe, temp.path());
    if (!p.WaitUntilShown(BoxesFilled, kShowTimeoutMs, kShowPollMs)) {
        std::fputs("kestrin.exe did not show its answers\n", stderr);
        return false;
    }
    const double timerStart = NowMs();  // Kestrin sets its timer just before showing
    std::vector<double> waits;
    for (int run = 0; run < options.runs; ++run) {
        EmptyBoxes(p);
        const double start = NowMs();
        PostMessageW(p.window(), WM_POWERBROADCAST, kResumeAutomatic, 0);
        if (!kestrin::test::WaitFor([&] { return BoxesFilled(p); }, kShowTimeoutMs,
                                    kShowPollMs)) {
            std::fputs("kestrin.exe did not look up after a resume\n", stderr);
            return false;
        }
        waits.push_back(NowMs() - start);
    }
    PrintCount("resume.before_first_tick",
               NowMs() - timerStart < kestrin::kRefreshIntervalMs ? 1 : 0);
    PrintSamples("resume.kestrin_ms", waits);
    return true;
}

int Run(const Options& options) {
    const std::wstring url = kestrin::kLookupUrl;
    std::printf("url %ls\nrefresh_ms %u\n", url.c_str(), kestrin::kRefreshIntervalMs);
    if (TimedGet(url) < 0) {
        std::fprintf(stderr, "nothing answers at %ls\n", url.c_str());
        return 1;
    }
    const TempFolder temp(L"kestrin-bench");
    if (!MeasureStartUp(options, temp)) return 1;
    if (!MeasureResume(options, temp)) return 1;

    // One copy of each, side by side, for memory, cycles and idling.
    KestrinProcess kestrinExe(kKestrinExe, temp.path());
    if (!kestrinExe.WaitUntilShown(BoxesFilled, kShowTimeoutMs, kShowPollMs)) {
        std::fputs("kestrin.exe did not show its answers\n", stderr);
        return 1;
    }
    const double timerStart = NowMs();  // Kestrin sets its timer just before showing
    KestrinProcess bare(kBareWindow, temp.path());
    if (!bare.WaitUntilShown(AlwaysReady, kShowTimeoutMs, kShowPollMs)) {
        std::fputs("bare-window.exe did not show its window\n", stderr);
        return 1;
    }
    // Ended before idling, where its own timer's lookups would load the machine.
    std::optional<KestrinProcess> sameWork(std::in_place, kSameWork, temp.path());
    if (!sameWork->WaitUntilShown(BoxesFilled, kShowTimeoutMs, kShowPollMs)) {
        std::fputs("same-work-lookup.exe did not show its answers\n", stderr);
        return 1;
    }
    Sleep(1000);  // let all settle after showing
    const std::wstring kestrinProc = LinuxProcFolder(kestrinExe.path());
    const std::wstring bareProc = LinuxProcFolder(bare.path());
    PrintHoldings("mem.kestrin.start", kestrinExe, kestrinProc);
    PrintHoldings("mem.bare.start", bare, bareProc);
    PrintHoldings("mem.same.start", *sameWork, LinuxProcFolder(sameWork->path()));

    HWND button = kestrinExe.Control(IDC_BTN_REFRESH);
    double start = NowMs();
    RunCycles(button, options.cycles);
    Print("cycles.batch1_ms", NowMs() - start);
    PrintCount("cycles.count", static_cast<unsigned long long>(options.cycles));
    PrintHoldings("mem.kestrin.cycles1", kestrinExe, kestrinProc);

    std::vector<double> cycle, same, get, message;
    int failed = 0;
    for (int i = 0; i < options.timed; ++i) {
        // In turns first, so that neither program always follows the other.
        const double s1 = i % 2 ? TimedAnsweredCycle(*sameWork) : 0;
        const double c = TimedAnsweredCycle(kestrinExe);
        const double s = i % 2 ? s1 : TimedAnsweredCycle(*sameWork);
        const double g = TimedGet(url);
        const double m = TimedNullMessage(kestrinExe.window());
        if (c < 0 || s < 0 || g < 0) ++failed;
        if (c >= 0) cycle.push_back(c);
        if (s >= 0) same.push_back(s);
        if (g >= 0) get.push_back(g);
        if (m >= 0) message.push_back(m);
    }
    PrintSamples("cycle.kestrin_ms", cycle);
    PrintSamples("cycle.same_ms", same);
    PrintSamples("cycle.get_ms", get);
    PrintSamples("cycle.message_ms", message);
    PrintCount("cycle.failed", static_cast<unsigned long long>(failed));
    sameWork.reset();

    start = NowMs();
    RunCycles(button, options.cycles);
    Print("cycles.batch2_ms", NowMs() - start);
    PrintCount("cycles.boxes_filled", BoxesFilled(kestrinExe) ? 1 : 0);
    PrintHoldings("mem.kestrin.cycles2", kestrinExe, kestrinProc);

    // Idle: hidden as by its close image, the baseline hidden too. The boxes are emptied
    // first so a refilled box shows that a timer tick ran.
    kestrinExe.ClickCloseImage();
    ShowWindow(bare.window(), SW_HIDE);
    kestrin::test::WaitFor([&] { return !IsWindowVisible(kestrinExe.window()); });
    PrintCount("idle.hidden", IsWindowVisible(kestrinExe.window()) ? 0 : 1);
    EmptyBoxes(kestrinExe);
    PrintCount("idle.linux_process_found", !kestrinProc.empty() && !bareProc.empty() ? 1 : 0);
    const double idleStart = NowMs();
    const double kestrinCpu = CpuMs(kestrinExe.process());
    const double bareCpu = CpuMs(bare.process());
    const double kestrinLinuxCpu = LinuxCpuMs(kestrinProc);
    const double bareLinuxCpu = LinuxCpuMs(bareProc);
    Sleep(static_cast<DWORD>(options.idleSeconds) * 1000);
    const double idleEnd = NowMs();
    const double kestrinIdle = CpuMs(kestrinExe.process()) - kestrinCpu;
    const double bareIdle = CpuMs(bare.process()) - bareCpu;
    Print("idle.kestrin_linux_cpu_ms", LinuxCpuMs(kestrinProc) - kestrinLinuxCpu);
    Print("idle.bare_linux_cpu_ms", LinuxCpuMs(bareProc) - bareLinuxCpu);
    Print("idle.kestrin_linux_cpu_total_ms", LinuxCpuMs(kestrinProc));
    // Ticks fall at whole intervals after the timer was set, just before the window showed.
    const double interval = kestrin::kRefreshIntervalMs;
    const auto ticksBefore = [&](double t) {
        return static_cast<long long>((t - timerStart) / interval);
    };
    PrintCount("idle.ticks", static_cast<unsigned long long>(ticksBefore(idleEnd) -
                                                             ticksBefore(idleStart)));
    Print("idle.seconds", (idleEnd - idleStart) / 1000.0);
    Print("idle.kestrin_cpu_ms", kestrinIdle);
    Print("idle.bare_cpu_ms", bareIdle);
    PrintCount("idle.tick_seen", BoxesFilled(kestrinExe) ? 1 : 0);
    PrintHoldings("mem.kestrin.idle", kestrinExe, kestrinProc);
    PrintHoldings("mem.bare.idle", bare, bareProc);
    return 0;
}

// Sends WM_NULL to a window every 50 ms on a thread of its own, from construction to
// Stop(), and keeps how long each took to be answered.
class Prober {
public:
    static constexpr DWORD kPeriodMs = 50;
    static constexpr DWORD kPatienceMs = 120000;  // far beyond any deadline Kestrin has

    explicit Prober(HWND window) : window_(window) {
        thread_.reset(CreateThread(nullptr, 0, Loop, this, 0, nullptr));
    }
    ~Prober() { Stop(); }
    Prober(const Prober&) = delete;
    Prober& operator=(const Prober&) = delete;

    bool Started() const { return static_cast<bool>(thread_); }
    // Ends the probing once the probe in flight is answered, or given up on.
    void Stop() {
        if (!thread_) return;
        InterlockedExchange(&stop_, 1);
        WaitForSingleObject(thread_.get(), kPatienceMs + 5000);
        thread_.reset();
    }
    // Read after Stop().
    const std::vector<double>& waits() const { return waits_; }
    int unanswered() const { return unanswered_; }

private:
    static DWORD WINAPI Loop(void* self) {
        static_cast<Prober*>(self)->Probe();
        return 0;
    }
    void Probe() {
        while (InterlockedCompareExchange(&stop_, 0, 0) == 0) {
            const double start = NowMs();
            DWORD_PTR ignored = 0;
            if (SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &ignored))
                waits_.push_back(NowMs() - start);
            else
                ++unanswered_;
            Sleep(kPeriodMs);
        }
    }

    HWND window_;
    volatile LONG stop_ = 0;
    std::vector<double> waits_;
    int unanswered_ = 0;
    UniqueKernelHandle thread_;
};

// The window while the service reads each request and never answers: every clicked
// cycle holds the window's thread until the download deadline, and a prober keeps the
// longest time a WM_NULL waited for an answer. The cycles must all end before the first
// refresh tick, whose cycle would queue behind a click and double a wait.
int RunHang(const Options& options) {
    std::printf("url %ls\ndeadline_ms %u\nrefresh_ms %u\n", kestrin::kLookupUrl,
                kestrin::kDownloadDeadlineMs, kestrin::kRefreshIntervalMs);
    constexpr DWORD kPauseMs = 250;
    constexpr DWORD kStartMarginMs = 1000;  // from the timer's start to the first click
    if (static_cast<unsigned long long>(options.hangCycles) *
                    (kestrin::kDownloadDeadlineMs + kPauseMs + Prober::kPeriodMs) +
                kStartMarginMs >=
            kestrin::kRefreshIntervalMs) {
        std::fputs("so many cycles would run into the first refresh tick\n", stderr);
        return 2;
    }
    // Start-up looks up before it shows the window: it gets a good reply.
    if (HttpGetText(ServerUrl(L"/control/mode/two")) != "ok") {
        std::fprintf(stderr, "no reply server answers at %ls\n", ServerUrl(L"").c_str());
        return 1;
    }
    const TempFolder temp(L"kestrin-bench");
    KestrinProcess kestrinExe(kKestrinExe, temp.path());
    if (!kestrinExe.WaitUntilShown(BoxesFilled, kShowTimeoutMs, kShowPollMs)) {
        std::fputs("kestrin.exe did not show its answers\n", stderr);
        return 1;
    }
    const int servedBefore = ServedLookups();
    if (HttpGetText(ServerUrl(L"/control/mode/hang")) != "ok") {
        std::fputs("the reply server did not take the mode hang\n", stderr);
        return 1;
    }
    HWND button = kestrinExe.Control(IDC_BTN_REFRESH);
    Prober prober(kestrinExe.window());
    if (!prober.Started()) {
        std::fputs("no thread for the prober\n", stderr);
        return 1;
    }
    std::vector<double> cycles;
    for (int i = 0; i < options.hangCycles; ++i) {
        // The first probe of a cycle lags its start by up to one period, and waits that
        // much less than the window is held; pauses of varied length vary the lag.
        Sleep(kPauseMs + static_cast<DWORD>(i * 31) % Prober::kPeriodMs);
        const double c = TimedCycle(button);
        if (c >= 0) cycles.push_back(c);
    }
    Sleep(2 * Prober::kPeriodMs);
    prober.Stop();
    HttpGetText(ServerUrl(L"/control/mode/two"));
    const std::vector<double>& waits = prober.waits();
    Print("hang.longest_wait_ms", waits.empty() ? 0 : *std::max_element(waits.begin(), waits.end()));
    PrintCount("hang.probes", waits.size());
    PrintCount("hang.unanswered", static_cast<unsigned long long>(prober.unanswered()));
    PrintSamples("hang.cycle_ms", cycles);
    PrintCount("hang.served", static_cast<unsigned long long>(ServedLookups() - servedBefore));
    return 0;
}

// How long one in-process cycle took, or a negative number when it did not answer.
double TimedLookup(InProcessLookup& lookup) {
    lookup.EmptyBoxes();
    const double start = NowMs();
    lookup.Run();
    const double elapsed = NowMs() - start;
    return lookup.Answered() ? elapsed : -1;
}

// WinINet keeps a finished request's connection for the next request to the same server,
// across sessions, in the whole process; this closes the idle ones, so that the next cycle
// connects, and over https shakes hands, as a refresh a minute after the last does.
void DropIdleConnections() {
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}

// One cycle's times: on a new connection, and right after on the one it left open.
struct CycleTimes {
    std::vector<double> fresh;
    std::vector<double> kept;
    int failed = 0;

    void Add(double ms, std::vector<double>& into) {
        if (ms >= 0) into.push_back(ms);
        else ++failed;
    }
    void Measure(InProcessLookup& lookup) {
        DropIdleConnections();
        Add(TimedLookup(lookup), fresh);
        Add(TimedLookup(lookup), kept);
    }
    void Print(const std::string& key) const {
        PrintSamples((key + ".fresh_ms").c_str(), fresh);
        PrintSamples((key + ".kept_ms").c_str(), kept);
        PrintCount(key + ".failed", static_cast<unsigned long long>(failed));
    }
};

// The same cycle over http and over https, to the same service, in rounds whose order
// alternates, so that both see the same load and neither always follows the other. One
// untimed cycle of each first: the first https cycle of a process loads the TLS stack.
int RunTls(const Options& options) {
    std::printf("tls.http_url %ls\ntls.https_url %ls\n", options.httpUrl.c_str(),
                options.httpsUrl.c_str());
    const TempFolder temp(L"kestrin-bench");
    InProcessLookup http(options.httpUrl, temp.path());
    InProcessLookup https(options.httpsUrl, temp.path());
    if (!http.Ready() || !https.Ready()) {
        std::fputs("no edit boxes for the lookups\n", stderr);
        return 1;
    }
    for (const auto& [lookup, url] : {std::pair{&http, &options.httpUrl},
                                      std::pair{&https, &options.httpsUrl}}) {
        if (TimedLookup(*lookup) < 0) {
            std::fprintf(stderr, "no answers from %ls\n", url->c_str());
            return 1;
        }
    }
    CycleTimes overHttp, overHttps;
    for (int i = 0; i < options.tlsCycles; ++i) {
        const bool httpFirst = i % 2 == 0;
        (httpFirst ? overHttp : overHttps).Measure(httpFirst ? http : https);
        (httpFirst ? overHttps : overHttp).Measure(httpFirst ? https : http);
    }
    overHttp.Print("tls.http");
    overHttps.Print("tls.https");
    return 0;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        if (name == L"--http-url") {
            options.httpUrl = argv[i + 1];
            continue;
        }
        if (name == L"--https-url") {
            options.httpsUrl = argv[i + 1];
            continue;
        }
        const int value = _wtoi(argv[i + 1]);
        if (value < 0) return false;
        if (name == L"--runs") options.runs = std::max(value, 1);
        else if (name == L"--cycles") options.cycles = value;
        else if (name == L"--timed") options.timed = std::max(value, 1);
        else if (name == L"--idle-seconds") options.idleSeconds = value;
        else if (name == L"--hang-cycles") options.hangCycles = value;
        else if (name == L"--tls-cycles") options.tlsCycles = value;
        else if (name == L"--exit-runs") options.exitRuns = value;
        else return false;
    }
    const bool urlsGiven = !options.httpUrl.empty() && !options.httpsUrl.empty();
    return argc % 2 == 1 && urlsGiven == (options.tlsCycles > 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs("usage: kestrin-bench [--runs N] [--cycles N] [--timed N] [--idle-seconds N]\n"
                   "       kestrin-bench --hang-cycles N\n"
                   "       kestrin-bench --tls-cycles N --http-url URL --https-url URL\n"
                   "       kestrin-bench --exit-runs N\n",
                   stderr);
        return 2;
    }
    const int status = options.tlsCycles > 0    ? RunTls(options)
                       : options.hangCycles > 0 ? RunHang(options)
                       : options.exitRuns > 0   ? RunExit(options)
                                                : Run(options);
    std::fflush(stdout);
    return status;
}
