#pragma once
// FastCGI: answers requests on the listening socket the web server handed over as
// standard input, until the web server stops the process.

#include "Request.h"

#include <functional>
#include <string>

namespace ipx {

// respond gives the full response to one request. Returns the process exit status.
int ServeFastCgiRequests(const std::function<std::string(const Request&)>& respond);

}  // namespace ipx
