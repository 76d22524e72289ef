#include "CgiFrontend.h"

#include "EnvironmentValues.h"
#include "RequestBody.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace ipx {

namespace {

std::optional<std::string_view> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
}

void DiscardRequestBody(std::size_t bytes) {
    std::array<char, 4096> buffer;
    while (bytes > 0) {
        const std::size_t wanted = std::min(bytes, buffer.size());
        const std::size_t read = std::fread(buffer.data(), 1, wanted, stdin);
        if (read == 0) {
            return;
        }
        bytes -= read;
    }
}

}  // namespace

int ServeCgiRequest(Service& service) {
    DiscardRequestBody(BodyBytesToDiscard(EnvironmentValue("CONTENT_LENGTH")));
    const Request request{EnvironmentValue("REQUEST_METHOD"), EnvironmentValue("REMOTE_ADDR"),
                          EnvironmentValues(environ, "HTTP_X_FORWARDED_FOR")};
    const std::string response = service.Respond(request);
    const bool written = std::fwrite(response.data(), 1, response.size(), stdout) == response.size();
    return written && std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace ipx
