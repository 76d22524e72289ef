#pragma once
// Line 2 of the answer: a host name only when DNS vouches for it both ways.

#include "Address.h"
#include "Resolver.h"

#include <chrono>
#include <string>

namespace ipx {

// The reverse name of the address if it is well formed and resolves forward to the same
// address; the address text otherwise. Both lookups together end by now + budget.
std::string ConfirmedHostNameOrAddress(const Address& address, Resolver& resolver,
                                       std::chrono::milliseconds budget);

}  // namespace ipx
