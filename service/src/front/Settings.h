#pragma once
// The operator's choices, read once from the environment at start.
//   IPX_TRUSTED_PROXIES  addresses or CIDR ranges whose X-Forwarded-For is believed
//   IPX_DNS_SERVER       DNS server(s) to ask instead of /etc/resolv.conf, as
//                        "127.0.0.1:5353", "[::1]:53" or a comma-separated list
//   IPX_WORKERS          requests one FastCGI process answers at once

#include "TrustedProxies.h"

#include <cstddef>
#include <optional>
#include <string>

namespace ipx {

inline constexpr std::size_t kDefaultWorkers = 64;
// Each worker holds a connection and a DNS socket or two: well within the 1024 descriptors
// a process gets by default.
inline constexpr std::size_t kMaxWorkers = 256;

struct Settings {
    TrustedProxies trustedProxies;
    std::optional<std::string> dnsServers;
    std::size_t workers = kDefaultWorkers;
};

// Any value may be null (unset). Throws std::runtime_error naming the variable when the
// trusted-proxy list or the worker count is invalid; the DNS servers are checked by the
// resolver.
Settings SettingsFrom(const char* trustedProxies, const char* dnsServers,
                      const char* workers = nullptr);

Settings SettingsFromEnvironment();

}  // namespace ipx
