// A FastCGI responder that answers every request with fixed bytes shaped like ipx.cgi's
// answer, through ipx.cgi's own FastCGI transport: beside ipx.cgi it shows what the web
// server and the socket hop cost on their own.

#include "FastCgiFrontend.h"

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
    return ipx::ServeFastCgiRequests([](const ipx::Request&) { return std::string(kAnswer); });
}
