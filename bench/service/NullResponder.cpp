// A FastCGI responder that answers every request with fixed bytes shaped like ipx.cgi's
// answer, through ipx.cgi's own FastCGI transport and as many workers: beside ipx.cgi it
// shows what the web server and the socket hop cost on their own.

#include "FastCgiFrontend.h"
#include "Settings.h"

namespace {

constexpr char kAnswer[] =
    "Status: 200 OK\r\n"
    "Content-Type: text/plain; charset=us-ascii\r\n"
    "Cache-Control: no-store\r\n"
    "\r\n"
    "127.0.0.1\n"
    "loopback.kestrin.test\n";

}  // namespace

int main() {
    const std::vector<ipx::Responder> responders(
        ipx::SettingsFromEnvironment().workers,
        [](const ipx::Request&) { return std::string(kAnswer); });
    return ipx::ServeFastCgiRequests(responders);
}
