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

// timedOut: no answer came by the deadline (or c-ares gave up waiting), as opposed to an
// answer that there is nothing; a zone that does not answer is worth remembering.
struct ReverseAnswer {
    std::optional<std::string> name;  // the PTR name as DNS gives it
    bool timedOut = false;
};

struct ForwardAnswer {
    std::vector<Address> addresses;  // every IPv4 and IPv6 address of the name
    bool timedOut = false;
};

class Resolver {
public:
    virtual ~Resolver() = default;

    virtual ReverseAnswer ReverseName(const Address& address, Deadline deadline) = 0;
    virtual ForwardAnswer ForwardAddresses(const std::string& hostName, Deadline deadline) = 0;
};

}  // namespace ipx
