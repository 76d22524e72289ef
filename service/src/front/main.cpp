// ipx.cgi: tells a caller its own IP address and host name. The same binary is a CGI
// program or a FastCGI responder, whichever way the web server starts it.

#include "AnswerCache.h"
#include "CaresResolver.h"
#include "CgiFrontend.h"
#include "ErrorReport.h"
#include "FastCgiFrontend.h"
#include "LookupGate.h"
#include "Service.h"
#include "Settings.h"

#include <fcgiapp.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <vector>

namespace {

// A minute matches how often callers poll; 4096 entries bound the memory. A network whose
// DNS did not answer is answered without DNS as long as an answer is kept.
constexpr std::size_t kCacheEntries = 4096;
constexpr std::chrono::seconds kCacheLifetime{60};
// A network whose DNS answered keeps its share of lookups for ten polls of a caller in it,
// if the answer came within a quarter of the budget, as honest reverse DNS does.
constexpr std::chrono::minutes kNetworkTrust{10};
constexpr auto kTrustedAnswerTime = ipx::kDnsBudget / 4;
// A caller's last confirmed name, for an hour of polls that DNS cannot answer in time; as
// many as the trusted networks, and not pushed out by newcomers when full.
constexpr std::size_t kLastNames = 16384;
constexpr std::chrono::hours kLastNameLifetime{1};

std::chrono::steady_clock::time_point Now() {
    return std::chrono::steady_clock::now();
}

// Each worker has a resolver of its own: a c-ares channel is not to be shared between
// threads in the c-ares of Debian 12.
struct Worker {
    Worker(const ipx::Settings& settings, ipx::ServiceMemory& memory)
        : resolver(settings.dnsServers), service(settings.trustedProxies, resolver, &memory) {}

    ipx::CaresResolver resolver;
    ipx::Service service;
};

int ServeFastCgi(const ipx::Settings& settings) {
    ipx::ServiceMemory memory{
        ipx::AnswerCache(kCacheEntries, kCacheLifetime, Now),
        ipx::AnswerCache(kLastNames, kLastNameLifetime, Now, ipx::WhenFull::KeepOld),
        ipx::LookupGate(ipx::LookupLimitsFor(settings.workers),
                        ipx::GateTimes{kCacheLifetime, kNetworkTrust, kTrustedAnswerTime}, Now),
        {}};
    // Made here, one after another: c-ares initialises itself without a lock.
    std::vector<std::unique_ptr<Worker>> workers;
    std::vector<ipx::Responder> responders;
    for (std::size_t i = 0; i < settings.workers; ++i) {
        workers.push_back(std::make_unique<Worker>(settings, memory));
        responders.emplace_back([&service = workers.back()->service](const ipx::Request& request) {
            return service.Respond(request);
        });
    }
    return ipx::ServeFastCgiRequests(std::move(responders));
}

int Serve() {
    const ipx::Settings settings = ipx::SettingsFromEnvironment();
    if (!FCGX_IsCGI()) {
        return ServeFastCgi(settings);
    }
    ipx::CaresResolver resolver(settings.dnsServers);
    ipx::Service service(settings.trustedProxies, resolver, nullptr);
    return ipx::ServeCgiRequest(service);
}

}  // namespace

int main() {
    try {
        return Serve();
    } catch (const std::exception& error) {
        ipx::ReportError(error.what());
        return EXIT_FAILURE;
    }
}
