#pragma once
// One request as the web server describes it, whichever way it hands it over.

#include <optional>
#include <string_view>
#include <vector>

namespace ipx {

// What the web server tells about a request; nullopt for a variable it did not set.
struct Request {
    std::optional<std::string_view> method;      // REQUEST_METHOD
    std::optional<std::string_view> remoteAddr;  // REMOTE_ADDR
    // Every HTTP_X_FORWARDED_FOR the web server passed, in its order: none without the
    // header, more than one when it passed other header names under the same variable.
    std::vector<std::string_view> forwardedFor;
};

}  // namespace ipx
