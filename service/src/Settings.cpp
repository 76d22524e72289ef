#include "Settings.h"

#include <cstdlib>
#include <stdexcept>

namespace ipx {

Settings SettingsFrom(const char* trustedProxies, const char* dnsServers) {
    Settings settings;
    if (trustedProxies != nullptr) {
        auto parsed = TrustedProxies::Parse(trustedProxies);
        if (!parsed) {
            throw std::runtime_error("IPX_TRUSTED_PROXIES is not a list of addresses or ranges");
        }
        settings.trustedProxies = std::move(*parsed);
    }
    if (dnsServers != nullptr && *dnsServers != '\0') {
        settings.dnsServers = dnsServers;
    }
    return settings;
}

Settings SettingsFromEnvironment() {
    return SettingsFrom(std::getenv("IPX_TRUSTED_PROXIES"), std::getenv("IPX_DNS_SERVER"));
}

}  // namespace ipx
