#pragma once
// Which address is the caller, given what the web server saw and what proxies claim.

#include "Address.h"
#include "TrustedProxies.h"

#include <optional>
#include <string_view>

namespace ipx {

// The peer (REMOTE_ADDR) is the caller unless it is a trusted proxy. Then the
// X-Forwarded-For hops are walked from the right and the first untrusted one is the
// caller; if every hop is trusted, the leftmost is. Hops left of the caller are never
// read, since anyone can put anything there. Nothing (an answer of 500) when the peer
// or a hop that was walked is not an address literal.
std::optional<Address> SelectClientAddress(std::string_view remoteAddr,
                                           std::optional<std::string_view> forwardedFor,
                                           const TrustedProxies& trusted);

}  // namespace ipx
