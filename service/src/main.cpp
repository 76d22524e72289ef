// ipx.cgi: tells a caller its own IP address and host name. The same binary is a CGI
// program or a FastCGI responder, whichever way the web server starts it.

#include "AnswerCache.h"
#include "CaresResolver.h"
#include "CgiFrontend.h"
#include "FastCgiFrontend.h"
#include "Service.h"
#include "Settings.h"

#include <fcgiapp.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// A minute matches how often callers poll; 4096 entries bound the memory.
constexpr std::size_t kCacheEntries = 4096;
constexpr std::chrono::seconds kCacheLifetime{60};

int Serve() {
    const ipx::Settings settings = ipx::SettingsFromEnvironment();
    ipx::CaresResolver resolver(settings.dnsServers);
    if (FCGX_IsCGI()) {
        ipx::Service service(settings.trustedProxies, resolver, std::nullopt);
        return ipx::ServeCgiRequest(service);
    }
    ipx::Service service(settings.trustedProxies, resolver,
                         ipx::AnswerCache(kCacheEntries, kCacheLifetime,
                                          [] { return std::chrono::steady_clock::now(); }));
    return ipx::ServeFastCgiRequests(
        [&service](const ipx::Request& request) { return service.Respond(request); });
}

}  // namespace

int main() {
    try {
        return Serve();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ipx.cgi: %s\n", error.what());
        return EXIT_FAILURE;
    }
}
