#pragma once
// FastCGI: answers requests on the listening socket the web server handed over as
// standard input, until the web server stops the process.

#include "Service.h"

namespace ipx {

// Returns the process exit status.
int ServeFastCgiRequests(Service& service);

}  // namespace ipx
