// kestrin.exe on every Windows from XP SP3 to 11: the whole program runs once under each
// Windows version Wine can report. Its imports are checked against XP by imports_test.py.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "KestrinProcess.h"
#include "ProgramFixture.h"
#include "ScopedWineVersion.h"
#include "resource.h"

namespace kestrin::test {
namespace {

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
