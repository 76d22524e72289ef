#pragma once
// Line 2 of the answer: a host name only when DNS vouches for it both ways.

#include "Address.h"
#include "Resolver.h"

#include <chrono>
#include <string>

namespace ipx {

struct HostLine {
    std::string text;
    bool dnsTimedOut = false;  // a lookup got no answer in time, so text is the address
};

// The reverse name of the address if it is well formed and resolves forward to the same
// address; the address text otherwise. Both lookups together end by now + budget.
HostLine ConfirmedHostNameOrAddress(const Address& address, Resolver& resolver,
                                    std::chrono::milliseconds budget);

}  // namespace ipx
