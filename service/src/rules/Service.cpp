#include "Service.h"

#include "ClientAddress.h"
#include "ConfirmedHostName.h"
#include "Response.h"

namespace ipx {

Service::Service(TrustedProxies trusted, Resolver& resolver, ServiceMemory* memory,
                 std::chrono::milliseconds dnsBudget)
    : trusted_(std::move(trusted)), resolver_(resolver), memory_(memory), dnsBudget_(dnsBudget) {}

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
    if (memory_ == nullptr) {
        return ConfirmedHostNameOrAddress(client, resolver_, dnsBudget_).text;
    }
    return RememberedHostLineFor(client, *memory_);
}

std::string Service::RememberedHostLineFor(const Address& client, ServiceMemory& memory) {
    std::string key = client.Text();
    if (auto cached = memory.answers.Find(key)) {
        return *cached;
    }
    auto pass = memory.gate.Enter(client);
    if (!pass) {
        // Not kept: the caller's next request may find DNS free again.
        return key;
    }
    HostLine line = ConfirmedHostNameOrAddress(client, resolver_, dnsBudget_);
    if (line.dnsTimedOut) {
        pass->MarkSlow();
    }
    memory.answers.Store(key, line.text);
    return std::move(line.text);
}

}  // namespace ipx
