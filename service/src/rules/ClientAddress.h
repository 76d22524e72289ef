#pragma once
// Which address is the caller, given what the web server saw and what proxies claim.

#include "Address.h"
#include "TrustedProxies.h"

#include <optional>
#include <span>
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

// The same for every value the web server passed as X-Forwarded-For. From a trusted peer,
// more than one is nothing: the web server turned another header name into the same
// variable (lighttpd does so with X_Forwarded_For) or did not join the header's lines, and
// which value the proxy wrote cannot be told.
std::optional<Address> SelectClientAddress(std::string_view remoteAddr,
                                           std::span<const std::string_view> forwardedFor,
                                           const TrustedProxies& trusted);

}  // namespace ipx
