#include "Settings.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace ipx {

namespace {

std::size_t WorkersFrom(const char* text) {
    std::size_t workers = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, workers);
    if (stop == text || error != std::errc{} || stop != end || workers == 0 ||
        workers > kMaxWorkers) {
        throw std::runtime_error("IPX_WORKERS is not a whole number from 1 to " +
                                 std::to_string(kMaxWorkers));
    }
    return workers;
}

}  // namespace

Settings SettingsFrom(const char* trustedProxies, const char* dnsServers, const char* workers) {
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
    if (workers != nullptr && *workers != '\0') {
        settings.workers = WorkersFrom(workers);
    }
    return settings;
}

Settings SettingsFromEnvironment() {
    return SettingsFrom(std::getenv("IPX_TRUSTED_PROXIES"), std::getenv("IPX_DNS_SERVER"),
                        std::getenv("IPX_WORKERS"));
}

}  // namespace ipx
