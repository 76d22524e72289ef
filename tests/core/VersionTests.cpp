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

}  // namespace

// Version 1.0.0, as the top CMakeLists.txt names it, in the very texts the program shows
// and sends.
TEST(VersionCaption, AppendsThreeBlanksVerOneBlankAndTheDottedVersion) {
    EXPECT_EQ(Versioned<64>(L"Kestrin"), L"Kestrin   Ver. 1.0.0");
    EXPECT_EQ(Versioned<64>(L""), L"   Ver. 1.0.0");
    EXPECT_EQ(Versioned<21>(L"Kestrin"), L"Kestrin   Ver. 1.0.0") << "just room enough";
    EXPECT_EQ(Versioned<20>(L"Kestrin"), L"Kestri   Ver. 1.0.0")
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
    EXPECT_STREQ(KESTRIN_VERSION_TEXT, "1.00");
}

TEST(UserAgent, NamesKestrinAndItsMajorAndMinorVersion) {
    EXPECT_STREQ(kestrin::kUserAgent, L"Kestrin/1.0");
}
