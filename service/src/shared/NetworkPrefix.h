#pragma once
// The network a caller is in, as far as reverse DNS and fair shares go.

#include "Address.h"

#include <string>

namespace ipx {

// The /24 of an IPv4 address or the /64 of an IPv6 one, as a key: the callers of one
// network, whose reverse DNS one zone usually serves. Keys of the two families never meet.
std::string NetworkPrefix(const Address& address);

// The /16 of an IPv4 address or the /48 of an IPv6 one, as a key: the networks one
// customer or small provider holds, and can spread an attack over.
std::string WideNetworkPrefix(const Address& address);

}  // namespace ipx
