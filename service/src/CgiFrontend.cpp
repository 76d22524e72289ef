#include "CgiFrontend.h"

#include <cstdio>
#include <cstdlib>

namespace ipx {

namespace {

std::optional<std::string_view> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
}

}  // namespace

int ServeCgiRequest(Service& service) {
    const Request request{EnvironmentValue("REQUEST_METHOD"), EnvironmentValue("REMOTE_ADDR"),
                          EnvironmentValue("HTTP_X_FORWARDED_FOR")};
    const std::string response = service.Respond(request);
    const bool written = std::fwrite(response.data(), 1, response.size(), stdout) == response.size();
    return written && std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace ipx
