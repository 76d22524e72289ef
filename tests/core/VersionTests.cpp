#include <gtest/gtest.h>

#include <array>
#include <string>

#include "Version.h"

namespace {

template <std::size_t N>
std::wstring Versioned(std::wstring_view caption) {
    std::array<wchar_t, N> out;
    out.fill(L'#');
    const std::size_t length = kestrin::WithVersion(caption, out);
    EXPECT_EQ(out[length], L'\0') << "the text ends in a NUL";
    return {out.data(), length};
}

// The numbers come from the build; the form around them is the rule under test.
const std::wstring kDotted = std::to_wstring(KESTRIN_VERSION_MAJOR) + L"." +
                             std::to_wstring(KESTRIN_VERSION_MINOR) + L"." +
                             std::to_wstring(KESTRIN_VERSION_REVISION);

}  // namespace

TEST(VersionCaption, AppendsThreeBlanksVerOneBlankAndTheDottedVersion) {
    EXPECT_EQ(Versioned<64>(L"Kestrin"), L"Kestrin   Ver. " + kDotted);
    EXPECT_EQ(Versioned<64>(L""), L"   Ver. " + kDotted);
    constexpr std::size_t exact = 7 + kestrin::kVersionSuffix.size() + 1;  // caption, suffix, NUL
    EXPECT_EQ(Versioned<exact>(L"Kestrin"), L"Kestrin   Ver. " + kDotted) << "just room enough";
    EXPECT_EQ(Versioned<exact - 1>(L"Kestrin"), L"Kestri   Ver. " + kDotted)
        << "one short: the caption gives way, not the version";
}

TEST(VersionCaption, ATooSmallPlaceKeepsWhatFitsAndItsNul) {
    EXPECT_EQ(Versioned<5>(L"Kestrin"), L"   V");
    std::array<wchar_t, 1> nulOnly{L'#'};
    EXPECT_EQ(kestrin::WithVersion(L"Kestrin", nulOnly), 0u);
    EXPECT_EQ(nulOnly[0], L'\0');
    EXPECT_EQ(kestrin::WithVersion(L"Kestrin", std::span<wchar_t>()), 0u) << "no room, no write";
}

TEST(VersionText, IsTheMajorNumberAndTheMinorInTwoDigits) {
    const std::string minor = std::to_string(KESTRIN_VERSION_MINOR);
    EXPECT_EQ(std::string(KESTRIN_VERSION_TEXT),
              std::to_string(KESTRIN_VERSION_MAJOR) + "." + (minor.size() < 2 ? "0" : "") + minor);
}

TEST(UserAgent, NamesKestrinAndItsMajorAndMinorVersion) {
    EXPECT_EQ(std::wstring(kestrin::kUserAgent), L"Kestrin/" + std::to_wstring(KESTRIN_VERSION_MAJOR) +
                                                     L"." + std::to_wstring(KESTRIN_VERSION_MINOR));
}
