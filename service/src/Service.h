#pragma once
// One request in, the full response out: the rules of the service without the transport.

#include "AnswerCache.h"
#include "Request.h"
#include "Resolver.h"
#include "TrustedProxies.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace ipx {

// Bounded well under the two seconds a caller may wait for its answer.
inline constexpr std::chrono::milliseconds kDnsBudget{1800};

class Service {
public:
    // Without a cache, every request asks DNS (right for CGI, one request per process).
    Service(TrustedProxies trusted, Resolver& resolver, std::optional<AnswerCache> cache,
            std::chrono::milliseconds dnsBudget = kDnsBudget);

    std::string Respond(const Request& request);

private:
    std::string HostLineFor(const Address& client);

    TrustedProxies trusted_;
    Resolver& resolver_;
    std::optional<AnswerCache> cache_;
    std::chrono::milliseconds dnsBudget_;
};

}  // namespace ipx
