// kestrin.exe on every Windows from XP SP3 to 11. Wine starts a program whatever it
// imports, so only the exe's own import table proves it starts on XP; and the whole
// program runs once under each Windows version Wine can report.

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Handles.h"
#include "KestrinProcess.h"
#include "ProgramFixture.h"
#include "ScopedWineVersion.h"
#include "resource.h"

namespace kestrin::test {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The loader adds ".dll" to a bare module name; names compare without regard to case.
std::string DllKey(const std::string& dll) {
    const std::string lower = Lower(dll);
    return lower.find('.') == std::string::npos ? lower + ".dll" : lower;
}

// What Windows XP SP3 (32-bit) exports, as far as kestrin.exe uses it or is about to. Each
// function was checked to exist in that DLL there: its minimum supported client is
// Windows XP or earlier, and for msvcrt.dll it is an export of XP SP3's own system
// msvcrt.dll (not of a Visual C++ runtime). Add a function only after the same check.
const std::map<std::string, std::set<std::string>> kXpSp3Exports = {
    {"gdi32.dll",
     {"CreateCompatibleDC", "CreateFontW", "CreatePatternBrush", "DeleteDC", "DeleteObject",
      "GetDeviceCaps", "GetObjectW", "GetStockObject", "SelectObject", "SetBkColor",
      "SetBkMode", "SetBrushOrgEx", "SetTextColor", "StretchBlt"}},
    {"kernel32.dll",
     {"CloseHandle", "CreateEventW", "CreateFileW", "CreateMutexW", "CreateThread",
      "DeleteCriticalSection", "DeleteFileW", "DuplicateHandle", "EnterCriticalSection",
      "ExitProcess", "ExitThread", "FreeLibrary", "GetCurrentProcess", "GetCurrentThread",
      "GetCurrentThreadId", "GetEnvironmentVariableW", "GetExitCodeThread", "GetLastError",
      "GetModuleHandleA", "GetModuleHandleW", "GetProcAddress", "GetProcessHeap",
      "GetStartupInfoW", "GetTickCount", "HeapAlloc", "HeapFree", "InitializeCriticalSection",
      "InterlockedCompareExchange", "InterlockedDecrement", "InterlockedExchange",
      "InterlockedIncrement", "LeaveCriticalSection", "LoadLibraryA", "LoadLibraryW",
      "MulDiv", "MultiByteToWideChar", "ReadFile", "ResetEvent", "SetEvent",
      "SetUnhandledExceptionFilter", "Sleep", "TerminateThread", "TlsGetValue",
      "VerSetConditionMask", "VerifyVersionInfoW", "VirtualProtect", "VirtualQuery",
      "WaitForMultipleObjects", "WaitForSingleObject", "WideCharToMultiByte", "WriteFile"}},
    {"iphlpapi.dll", {"CancelIPChangeNotify", "NotifyAddrChange"}},
    {"msimg32.dll", {"TransparentBlt"}},
    {"shell32.dll", {"Shell_NotifyIconA"}},
    {"user32.dll",
     {"AdjustWindowRectEx", "AppendMenuW", "BeginPaint", "CallNextHookEx", "CreatePopupMenu",
      "CreateWindowExW", "DefWindowProcW", "DestroyIcon", "DestroyMenu", "DestroyWindow",
      "DispatchMessageW", "DrawEdge", "DrawFocusRect", "DrawTextW", "EnableWindow", "EndPaint",
      "FillRect", "GetClientRect", "GetCursorPos", "GetDC", "GetFocus", "GetMessageW",
      "GetParent", "GetSysColor", "GetSystemMetrics", "GetWindowLongW", "GetWindowRect",
      "GetWindowTextW", "InflateRect", "IsDialogMessageW", "IsWindow", "KillTimer",
      "LoadCursorW", "LoadImageW", "MapWindowPoints", "MsgWaitForMultipleObjects",
      "OffsetRect", "PeekMessageW", "PostMessageW", "PostQuitMessage", "PtInRect",
      "RedrawWindow", "RegisterClassExW", "RegisterWindowMessageW", "ReleaseCapture",
      "ReleaseDC", "SendMessageW", "SetFocus", "SetForegroundWindow", "SetTimer",
      "SetWindowLongW", "SetWindowPos", "SetWindowTextW", "SetWindowsHookExW", "ShowWindow", "TrackPopupMenu",
      "TranslateMessage", "UnhookWindowsHookEx"}},
    {"wininet.dll",
     {"DeleteUrlCacheEntryW", "HttpOpenRequestW", "HttpQueryInfoW", "HttpSendRequestW",
      "InternetCloseHandle", "InternetCombineUrlW", "InternetConnectW", "InternetCrackUrlW",
      "InternetOpenUrlW", "InternetOpenW", "InternetQueryDataAvailable", "InternetReadFile",
      "InternetSetOptionW"}},
    {"msvcrt.dll",
     {"memchr", "memcpy", "memmove", "memset", "wcslen"}},
};

struct ImportedFunction {
    std::string dll;
    std::string name;  // empty when imported by ordinal
    WORD ordinal = 0;
};

// What the loader reads of a 32-bit exe before it runs a line of it.
struct ExeImports {
    std::string error;  // why the file could not be read as such an exe
    IMAGE_OPTIONAL_HEADER32 header{};
    std::vector<std::string> dlls;
    std::vector<ImportedFunction> functions;
};

class PeFile {
public:
    explicit PeFile(std::vector<char> bytes) : bytes_(std::move(bytes)) {}

    template <typename T>
    std::optional<T> At(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return std::nullopt;
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof value);
        return value;
    }

    std::optional<std::string> StringAt(std::size_t offset) const {
        if (offset >= bytes_.size()) return std::nullopt;
        const char* begin = bytes_.data() + offset;
        const void* end = std::memchr(begin, '\0', bytes_.size() - offset);
        if (!end) return std::nullopt;
        return std::string(begin, static_cast<const char*>(end));
    }

    void UseSections(std::vector<IMAGE_SECTION_HEADER> sections, DWORD sizeOfHeaders) {
        sections_ = std::move(sections);
        sizeOfHeaders_ = sizeOfHeaders;
    }

    // Where the bytes loaded at rva lie in the file, through the section table.
    std::optional<std::size_t> OffsetOf(DWORD rva) const {
        if (rva < sizeOfHeaders_) return rva;
        for (const auto& section : sections_) {
            const DWORD start = section.VirtualAddress;
            if (rva >= start && rva - start < section.SizeOfRawData)
                return std::size_t{section.PointerToRawData} + (rva - start);
        }
        return std::nullopt;
    }

private:
    std::vector<char> bytes_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
    DWORD sizeOfHeaders_ = 0;
};

std::optional<std::vector<char>> ReadWholeFile(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (64 << 20))
        return std::nullopt;
    std::vector<char> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
        got != bytes.size())
        return std::nullopt;
    return bytes;
}

// The functions of one DLL that the exe imports, from its lookup table.
bool ReadThunks(const PeFile& pe, const std::string& dll, DWORD thunksRva,
                std::vector<ImportedFunction>& functions) {
    const auto first = pe.OffsetOf(thunksRva);
    if (!first) return false;
    for (std::size_t offset = *first;; offset += sizeof(IMAGE_THUNK_DATA32)) {
        const auto thunk = pe.At<IMAGE_THUNK_DATA32>(offset);
        if (!thunk) return false;
        if (thunk->u1.AddressOfData == 0) return true;
        if (IMAGE_SNAP_BY_ORDINAL32(thunk->u1.Ordinal)) {
            functions.push_back({dll, "", static_cast<WORD>(IMAGE_ORDINAL32(thunk->u1.Ordinal))});
            continue;
        }
        const auto byName = pe.OffsetOf(thunk->u1.AddressOfData);
        const auto name = byName ? pe.StringAt(*byName + offsetof(IMAGE_IMPORT_BY_NAME, Name))
                                 : std::nullopt;
        if (!name) return false;
        functions.push_back({dll, *name, 0});
    }
}

ExeImports Unreadable(std::string why) {
    ExeImports exe;
    exe.error = std::move(why);
    return exe;
}

ExeImports ReadExeImports(const std::wstring& path) {
    ExeImports exe;
    auto bytes = ReadWholeFile(path);
    if (!bytes) return Unreadable("cannot read the file");
    PeFile pe(std::move(*bytes));
    const auto dos = pe.At<IMAGE_DOS_HEADER>(0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0)
        return Unreadable("no DOS header");
    const auto ntOffset = static_cast<std::size_t>(dos->e_lfanew);
    const auto nt = pe.At<IMAGE_NT_HEADERS32>(ntOffset);
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->FileHeader.Machine != IMAGE_FILE_MACHINE_I386 ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return Unreadable("not a 32-bit x86 PE image");
    exe.header = nt->OptionalHeader;

    std::vector<IMAGE_SECTION_HEADER> sections;
    const std::size_t firstSection = ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                     nt->FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
        const auto section =
            pe.At<IMAGE_SECTION_HEADER>(firstSection + std::size_t{i} * sizeof(IMAGE_SECTION_HEADER));
        if (!section) return Unreadable("the section table is cut short");
        sections.push_back(*section);
    }
    pe.UseSections(std::move(sections), exe.header.SizeOfHeaders);

    if (exe.header.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
        return Unreadable("no import directory");
    const DWORD importsRva =
        exe.header.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    auto offset = pe.OffsetOf(importsRva);
    if (importsRva == 0 || !offset) return Unreadable("no import table");
    for (;; *offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = pe.At<IMAGE_IMPORT_DESCRIPTOR>(*offset);
        if (!descriptor) return Unreadable("the import table is cut short");
        if (descriptor->Name == 0 && descriptor->FirstThunk == 0) break;
        const auto nameOffset = pe.OffsetOf(descriptor->Name);
        const auto dll = nameOffset ? pe.StringAt(*nameOffset) : std::nullopt;
        if (!dll) return Unreadable("an imported DLL's name lies outside the file");
        exe.dlls.push_back(*dll);
        // Some linkers leave no lookup table; the address table then holds the same.
        const DWORD thunks = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk
                                                            : descriptor->FirstThunk;
        if (!ReadThunks(pe, *dll, thunks, exe.functions))
            return Unreadable("the imports of " + *dll + " lie outside the file");
    }
    return exe;
}

class CompatibilityWithXp : public ::testing::Test {
protected:
    static void SetUpTestSuite() { exe_ = ReadExeImports(ProgramFolder() + L"\\kestrin.exe"); }

    void SetUp() override {
        ASSERT_EQ(exe_.error, "") << "kestrin.exe beside this program cannot be read";
        ASSERT_FALSE(exe_.functions.empty()) << "an exe always imports something";
    }

    static bool OnTheList(const ImportedFunction& function) {
        const auto dll = kXpSp3Exports.find(DllKey(function.dll));
        return dll != kXpSp3Exports.end() && !function.name.empty() &&
               dll->second.count(function.name) != 0;
    }

    static inline ExeImports exe_;
};

TEST_F(CompatibilityWithXp, HeaderAsksForNoWindowsNewerThanXp) {
    const auto atMostXp = [](WORD major, WORD minor) {
        return major < 5 || (major == 5 && minor <= 1);
    };
    EXPECT_TRUE(atMostXp(exe_.header.MajorOperatingSystemVersion,
                         exe_.header.MinorOperatingSystemVersion))
        << "the header asks for Windows " << exe_.header.MajorOperatingSystemVersion << "."
        << exe_.header.MinorOperatingSystemVersion
        << "; Windows XP (5.1) refuses to start a program that asks for a newer Windows";
    EXPECT_TRUE(atMostXp(exe_.header.MajorSubsystemVersion, exe_.header.MinorSubsystemVersion))
        << "the header's subsystem version is " << exe_.header.MajorSubsystemVersion << "."
        << exe_.header.MinorSubsystemVersion
        << "; Windows XP (5.1) refuses to start a program that asks for a newer subsystem";
}

TEST_F(CompatibilityWithXp, ImportsOnlyFromSystemDllsThatXpHas) {
    for (const auto& dll : exe_.dlls)
        EXPECT_EQ(kXpSp3Exports.count(DllKey(dll)), 1u)
            << "kestrin.exe imports from " << dll
            << ", which is not a system DLL of Windows XP SP3: the program would not start "
               "where it is missing. Link it statically or load it at run time.";
}

TEST_F(CompatibilityWithXp, ImportsOnlyFunctionsThatXpSp3Exports) {
    for (const auto& function : exe_.functions) {
        if (function.name.empty()) {
            ADD_FAILURE() << "kestrin.exe imports " << function.dll << " ordinal "
                          << function.ordinal
                          << " by number; ordinals differ between Windows versions, so an "
                             "import by ordinal is never on the list. Import it by name.";
            continue;
        }
        EXPECT_TRUE(OnTheList(function))
            << "kestrin.exe imports " << function.name << " from " << function.dll
            << ", which is not on the list of what Windows XP SP3 exports. XP's loader "
               "refuses to start a program that imports a function its DLL lacks: resolve "
               "this one at run time with GetProcAddress and use it only where present, or, "
               "once you have checked that XP SP3's "
            << function.dll << " exports it, add it to the list.";
    }
}

// A misread import table would make the test above pass or fail on garbage: every import
// read must name a real export here, and the list's entries too.
TEST_F(CompatibilityWithXp, EveryImportAndEveryListedFunctionResolvesHere) {
    const auto resolves = [](const std::string& dll, const std::string& name) {
        HMODULE module = LoadLibraryA(dll.c_str());
        const bool found = module && GetProcAddress(module, name.c_str());
        if (module) FreeLibrary(module);
        return found;
    };
    for (const auto& function : exe_.functions) {
        if (function.name.empty()) continue;
        EXPECT_TRUE(resolves(function.dll, function.name))
            << "import read as " << function.dll << "!" << function.name;
    }
    for (const auto& [dll, names] : kXpSp3Exports) {
        for (const auto& name : names) {
            EXPECT_TRUE(resolves(dll, name))
                << "the list has " << dll << "!" << name << ", which that DLL does not export";
        }
    }
}

// Each version that Wine can report, the Windows it stands for and its major.minor.
struct WindowsVersionCase {
    const char* wineName;
    DWORD major;
    DWORD minor;
};
constexpr WindowsVersionCase kWindowsVersions[] = {
    {"winxp", 5, 1},
    {"win7", 6, 1},
    {"win10", 10, 0},
};
constexpr char kExpectVersionVariable[] = "KESTRIN_EXPECT_WINDOWS";

std::wstring Widen(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

// GetVersionExW answers what the program's manifest claims to know; RtlGetVersion does not.
std::optional<OSVERSIONINFOW> ReportedVersion() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto get = reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!get || get(&info) != 0) return std::nullopt;
    return info;
}

// Runs only as the child that WindowsVersion/WholeProgram starts for one version.
using WindowsVersionChild = ProgramFixture;

TEST_F(WindowsVersionChild, ReportsItsVersionAndRunsTheProgramFromStartToExit) {
    const char* expected = std::getenv(kExpectVersionVariable);
    if (!expected) GTEST_SKIP() << "runs only as the child of WindowsVersion/WholeProgram";
    const WindowsVersionCase* version = nullptr;
    for (const auto& known : kWindowsVersions)
        if (std::strcmp(known.wineName, expected) == 0) version = &known;
    ASSERT_NE(version, nullptr) << "no such version: " << expected;

    EXPECT_EQ(ScopedWineVersion::Current().value_or(L"(none)"), Widen(version->wineName));
    const auto reported = ReportedVersion();
    ASSERT_TRUE(reported.has_value()) << "RtlGetVersion failed";
    EXPECT_EQ(reported->dwMajorVersion, version->major) << version->wineName;
    EXPECT_EQ(reported->dwMinorVersion, version->minor) << version->wineName;

    ASSERT_TRUE(Start());
    EXPECT_TRUE(BoxesShowAfter("two"));
    EXPECT_TRUE(IconShown());
    PostMessageW(Main(), WM_COMMAND, IDM_EXIT, 0);
    ASSERT_TRUE(kestrin_->WaitForExit());
    EXPECT_EQ(kestrin_->ExitCode(), 0u);
    EXPECT_FALSE(IconShown());
}

class WholeProgram : public ::testing::TestWithParam<WindowsVersionCase> {};

TEST_P(WholeProgram, StartsShowsBothAnswersAndExitsCleanly) {
    if (std::getenv(kExpectVersionVariable)) GTEST_SKIP() << "already the child run";
    const WindowsVersionCase& version = GetParam();
    const ScopedWineVersion reported(Widen(version.wineName));
    ASSERT_TRUE(reported.Applied()) << "cannot set Wine's version to " << version.wineName;
    SetEnvironmentVariableA(kExpectVersionVariable, version.wineName);
    const DWORD exitCode = RunThisProgram(L"--gtest_filter=WindowsVersionChild.*");
    SetEnvironmentVariableA(kExpectVersionVariable, nullptr);
    EXPECT_EQ(exitCode, 0u) << "kestrin.exe failed its run with Wine reporting "
                            << version.wineName << " (Windows " << version.major << "."
                            << version.minor << ")";
}

INSTANTIATE_TEST_SUITE_P(WindowsVersion, WholeProgram, ::testing::ValuesIn(kWindowsVersions),
                         [](const auto& test) { return std::string(test.param.wineName); });

}  // namespace
}  // namespace kestrin::test
