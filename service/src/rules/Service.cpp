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

namespace {

std::string LastNameOrAddress(const std::string& address, ServiceMemory& memory) {
    return memory.lastNames.Find(address).value_or(address);
}

}  // namespace

std::string Service::RememberedHostLineFor(const Address& client, ServiceMemory& memory) {
    if (auto cached = memory.answers.Find(client.Text())) {
        return *cached;
    }
    SharedLookups::Turn turn = memory.lookups.Join(client.Text());
    if (!turn.Leads()) {
        return WaitedHostLineFor(client, turn, memory);
    }
    std::string line = LookedUpHostLineFor(client, memory);
    turn.Publish(line);
    return line;
}

std::string Service::WaitedHostLineFor(const Address& client, SharedLookups::Turn& turn,
                                       ServiceMemory& memory) {
    if (auto seat = memory.gate.EnterToWait(client)) {
        if (auto line = turn.Wait(std::chrono::steady_clock::now() + dnsBudget_)) {
            return std::move(*line);
        }
    }
    return LastNameOrAddress(client.Text(), memory);
}

// A network that has not earned trust gets half the budget: honest reverse DNS answers in
// well under a second, and a zone that never answers then holds a lookup half as long.
std::string Service::LookedUpHostLineFor(const Address& client, ServiceMemory& memory) {
    const std::string address = client.Text();
    auto pass = memory.gate.Enter(client);
    if (!pass) {
        // Not kept: the caller's next request may find DNS free again.
        return LastNameOrAddress(address, memory);
    }
    HostLine line = ConfirmedHostNameOrAddress(client, resolver_,
                                               pass->Trusted() ? dnsBudget_ : dnsBudget_ / 2);
    if (line.dnsTimedOut) {
        pass->MarkSlow();
        line.text = LastNameOrAddress(address, memory);
    } else if (line.text != address) {
        memory.lastNames.Store(address, line.text);
    } else {
        memory.lastNames.Erase(address);
    }
    memory.answers.Store(address, line.text);
    return std::move(line.text);
}

}  // namespace ipx
