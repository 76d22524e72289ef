#include "Service.h"

#include "ClientAddress.h"
#include "ConfirmedHostName.h"
#include "Response.h"

namespace ipx {

Service::Service(TrustedProxies trusted, Resolver& resolver, std::optional<AnswerCache> cache,
                 std::chrono::milliseconds dnsBudget)
    : trusted_(std::move(trusted)),
      resolver_(resolver),
      cache_(std::move(cache)),
      dnsBudget_(dnsBudget) {}

std::string Service::Respond(const Request& request) {
    const std::string_view method = request.method.value_or("");
    if (method != "GET" && method != "HEAD") {
        return MethodNotAllowedResponse(BodyWanted::Yes);
    }
    const BodyWanted body = method == "GET" ? BodyWanted::Yes : BodyWanted::No;
    const auto client = SelectClientAddress(request.remoteAddr.value_or(""),
                                            request.forwardedFor, trusted_);
    if (!client) {
        return ServerErrorResponse(body);
    }
    return AnswerResponse(client->Text(), HostLineFor(*client), body);
}

std::string Service::HostLineFor(const Address& client) {
    const std::string key = client.Text();
    if (cache_) {
        if (auto cached = cache_->Find(key)) {
            return *cached;
        }
    }
    std::string hostLine = ConfirmedHostNameOrAddress(client, resolver_, dnsBudget_);
    if (cache_) {
        cache_->Store(key, hostLine);
    }
    return hostLine;
}

}  // namespace ipx
