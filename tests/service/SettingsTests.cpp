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

}  // namespace
}  // namespace ipx
