#pragma once
// One request as the web server describes it, whichever way it hands it over.

#include <optional>
#include <string_view>

namespace ipx {

// What the web server tells about a request; nullopt for a variable it did not set.
struct Request {
    std::optional<std::string_view> method;        // REQUEST_METHOD
    std::optional<std::string_view> remoteAddr;    // REMOTE_ADDR
    std::optional<std::string_view> forwardedFor;  // HTTP_X_FORWARDED_FOR
};

}  // namespace ipx
