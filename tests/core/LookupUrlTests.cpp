#include "LookupUrl.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

constexpr wchar_t kSecure[] = L"https://ipx.example/cgi-bin/ipx.cgi";
constexpr wchar_t kLegacy[] = L"http://ipx.example/cgi-bin/ipx.cgi";

TEST(LookupUrl, OnlyWindowsOlderThan7AskTheLegacyUrl) {
    EXPECT_EQ(ChooseLookupUrl(true, kSecure, kLegacy), kLegacy);
    EXPECT_EQ(ChooseLookupUrl(false, kSecure, kLegacy), kSecure);
}

TEST(LookupUrl, WithoutALegacyUrlEveryWindowsAsksTheOneUrl) {
    EXPECT_EQ(ChooseLookupUrl(true, kSecure, L""), kSecure);
    EXPECT_EQ(ChooseLookupUrl(false, kSecure, L""), kSecure);
}

}  // namespace
}  // namespace kestrin
