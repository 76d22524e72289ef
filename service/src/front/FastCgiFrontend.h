#pragma once
// FastCGI: answers requests on the listening socket the web server handed over as
// standard input, each worker thread one request at a time.

#include "Request.h"

#include <functional>
#include <string>
#include <vector>

namespace ipx {

// Gives the full response to one request.
using Responder = std::function<std::string(const Request&)>;

// Runs one worker thread for each responder, which only that thread calls. On SIGTERM,
// SIGUSR1 or SIGINT the workers take no more requests, answer the ones they hold, and it
// returns EXIT_SUCCESS; connections not yet taken stay in the socket for the next process. When accepting a request fails otherwise, it reports why and ends
// the process with EXIT_FAILURE, so that whatever started it starts it again.
int ServeFastCgiRequests(std::vector<Responder> responders);

}  // namespace ipx
