#pragma once
// The DNS questions the service asks, behind an interface so the rules built on them can
// be tested with a resolver that answers from a table.

#include "Address.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace ipx {

using Deadline = std::chrono::steady_clock::time_point;

class Resolver {
public:
    virtual ~Resolver() = default;

    // The PTR name of the address as DNS gives it; nothing when there is none or no
    // answer came by the deadline.
    virtual std::optional<std::string> ReverseName(const Address& address, Deadline deadline) = 0;

    // Every IPv4 and IPv6 address the name has; empty when none came by the deadline.
    virtual std::vector<Address> ForwardAddresses(const std::string& hostName,
                                                  Deadline deadline) = 0;
};

}  // namespace ipx
