#pragma once
// Plain CGI: one request from the environment, the response to standard output.

#include "Service.h"

namespace ipx {

// Returns the process exit status.
int ServeCgiRequest(Service& service);

}  // namespace ipx
