#pragma once
// One request in, the full response out: the rules of the service without the transport.

#include "AnswerCache.h"
#include "LookupGate.h"
#include "Request.h"
#include "Resolver.h"
#include "SharedLookups.h"
#include "TrustedProxies.h"

#include <chrono>
#include <string>

namespace ipx {

// Bounded well under the two seconds a caller may wait for its answer.
inline constexpr std::chrono::milliseconds kDnsBudget{1800};

// What a FastCGI process keeps across requests and shares among its workers; each part
// locks for itself.
struct ServiceMemory {
    AnswerCache answers;
    // Each caller's last confirmed name, given when its lookup cannot run or gets no answer
    // in time, as resolvers serve stale answers: a returning caller keeps its name whatever
    // fills the lookups. Only names that resolved back to the caller; an answer without
    // one ends it.
    AnswerCache lastNames;
    LookupGate gate;
    SharedLookups lookups;
};

class Service {
public:
    // Without memory (CGI, one request per process), every request asks DNS.
    Service(TrustedProxies trusted, Resolver& resolver, ServiceMemory* memory,
            std::chrono::milliseconds dnsBudget = kDnsBudget);

    std::string Respond(const Request& request);

private:
    std::string HostLineFor(const Address& client);
    std::string RememberedHostLineFor(const Address& client, ServiceMemory& memory);
    std::string LookedUpHostLineFor(const Address& client, ServiceMemory& memory);
    std::string WaitedHostLineFor(const Address& client, SharedLookups::Turn& turn,
                                  ServiceMemory& memory);

    TrustedProxies trusted_;
    Resolver& resolver_;
    ServiceMemory* memory_;
    std::chrono::milliseconds dnsBudget_;
};

}  // namespace ipx
