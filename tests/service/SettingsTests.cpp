#include "Settings.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ipx {
namespace {

TEST(SettingsTest, UnsetMeansNoTrustedProxyAndTheSystemResolver) {
    const Settings settings = SettingsFrom(nullptr, nullptr);
    EXPECT_FALSE(settings.trustedProxies.Contains(*Address::Parse("127.0.0.1")));
    EXPECT_FALSE(settings.dnsServers.has_value());
    EXPECT_FALSE(SettingsFrom(nullptr, "").dnsServers.has_value());
}

TEST(SettingsTest, ReadsBothValues) {
    const Settings settings = SettingsFrom("127.0.0.1 10.0.0.0/8", "127.0.0.1:5353");
    EXPECT_TRUE(settings.trustedProxies.Contains(*Address::Parse("10.1.2.3")));
    EXPECT_EQ(settings.dnsServers, "127.0.0.1:5353");
}

TEST(SettingsTest, RefusesAnInvalidTrustedProxyList) {
    EXPECT_THROW(SettingsFrom("127.0.0.1 proxy.example", nullptr), std::runtime_error);
}

TEST(SettingsTest, ReadsHowManyRequestsAFastCgiProcessAnswersAtOnce) {
    EXPECT_EQ(SettingsFrom(nullptr, nullptr).workers, 64U);
    EXPECT_EQ(SettingsFrom(nullptr, nullptr, "").workers, 64U);
    EXPECT_EQ(SettingsFrom(nullptr, nullptr, "1").workers, 1U);
    EXPECT_EQ(SettingsFrom(nullptr, nullptr, "256").workers, 256U);
    for (const char* workers : {"0", "257", "-1", "+4", "4x", " 4", "four", "99999999999999999999"}) {
        EXPECT_THROW(SettingsFrom(nullptr, nullptr, workers), std::runtime_error) << workers;
    }
}

}  // namespace
}  // namespace ipx
