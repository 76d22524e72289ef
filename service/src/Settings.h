#pragma once
// The operator's choices, read once from the environment at start.
//   IPX_TRUSTED_PROXIES  addresses or CIDR ranges whose X-Forwarded-For is believed
//   IPX_DNS_SERVER       DNS server(s) to ask instead of /etc/resolv.conf, as
//                        "127.0.0.1:5353", "[::1]:53" or a comma-separated list

#include "TrustedProxies.h"

#include <optional>
#include <string>

namespace ipx {

struct Settings {
    TrustedProxies trustedProxies;
    std::optional<std::string> dnsServers;
};

// Either value may be null (unset). Throws std::runtime_error naming the variable when
// the trusted-proxy list is invalid; the DNS servers are checked by the resolver.
Settings SettingsFrom(const char* trustedProxies, const char* dnsServers);

Settings SettingsFromEnvironment();

}  // namespace ipx
