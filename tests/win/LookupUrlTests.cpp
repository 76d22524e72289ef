// Which URL the program asks, when its build names an https URL and a plain-http one for
// Windows before 7: chosen from the Windows version alone, never switched after a failure.
// kestrin-legacy-url.exe is that build, asking the reply server's trusted https listener
// and its plain port.

#include <gtest/gtest.h>

#include "ProgramFixture.h"
#include "ScopedWineVersion.h"

namespace kestrin::test {
namespace {

constexpr ProgramFile kLegacyUrlExe{L"kestrin-legacy-url.exe", KESTRIN_WINDOW_CLASS};

struct VersionAndListener {
    const wchar_t* wineVersion;
    const wchar_t* asked;  // the listener this Windows asks
    const wchar_t* neverAsked;
};

class LookupUrlByWindowsVersion : public ProgramFixture,
                                  public ::testing::WithParamInterface<VersionAndListener> {};

TEST_P(LookupUrlByWindowsVersion, OnlyOneUrlIsEverAskedEvenWhileItFails) {
    const VersionAndListener& expected = GetParam();
    const ScopedWineVersion version(expected.wineVersion);
    ASSERT_TRUE(version.Applied());
    const int neverAskedBefore = ServedLookupsOn(expected.neverAsked);
    const int askedBefore = ServedLookupsOn(expected.asked);

    ASSERT_TRUE(Start(L"e500", kLegacyUrlExe));
    // The start-up lookup and at least two timer cycles, every one of them failed.
    ASSERT_TRUE(WaitFor([&] { return ServedLookupsOn(expected.asked) >= askedBefore + 3; }));
    EXPECT_EQ(kestrin_->Text(IDC_T_PUBLIC), L"");

    ChooseServerReply(L"two");
    EXPECT_TRUE(WaitFor([&] { return BoxesShowAfter("two"); }));
    EXPECT_EQ(ServedLookupsOn(expected.neverAsked), neverAskedBefore);
}

INSTANTIATE_TEST_SUITE_P(
    WindowsVersion, LookupUrlByWindowsVersion,
    ::testing::Values(VersionAndListener{L"winxp", L"plain", L"good"},
                      VersionAndListener{L"vista", L"plain", L"good"},
                      VersionAndListener{L"win7", L"good", L"plain"},
                      VersionAndListener{L"win10", L"good", L"plain"}),
    [](const auto& test) {
        const std::wstring name = test.param.wineVersion;
        return std::string(name.begin(), name.end());
    });

}  // namespace
}  // namespace kestrin::test
