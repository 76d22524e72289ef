#include "FastCgiFrontend.h"

#include "EnvironmentValues.h"
#include "ErrorReport.h"
#include "RequestBody.h"

#include <fastcgi.h>
#include <fcgiapp.h>
#include <pthread.h>
#include <sys/socket.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <thread>

namespace ipx {

namespace {

class FastCgiRequest {
public:
    FastCgiRequest() {
        if (FCGX_InitRequest(&request_, 0, 0) != 0) {
            throw std::runtime_error("cannot set up a FastCGI request");
        }
    }
    ~FastCgiRequest() { FCGX_Free(&request_, 1); }
    FastCgiRequest(const FastCgiRequest&) = delete;
    FastCgiRequest& operator=(const FastCgiRequest&) = delete;

    // 0, or the negative errno of the failure.
    int Accept() { return FCGX_Accept_r(&request_); }

    std::optional<std::string_view> Param(const char* name) {
        const char* value = FCGX_GetParam(name, request_.envp);
        return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
    }

    std::vector<std::string_view> Params(std::string_view name) {
        return EnvironmentValues(request_.envp, name);
    }

    void Reply(const std::string& bytes) {
        const bool inputRead = ReadInputToEnd();
        FCGX_PutStr(bytes.data(), static_cast<int>(bytes.size()), request_.out);
        // Closing, libfcgi waits for the web server to hang up first, so that input still
        // on its way cannot reset the socket and lose the answer. With the input read to
        // its end none is left, and the wait would only hold up the next request; a
        // detached request is closed at once.
        if (inputRead && !request_.keepConnection) {
            FCGX_Detach(&request_);
        }
        FCGX_Finish_r(&request_);
    }

private:
    // True when the request's input (a body ipx.cgi has no use for) ended within the
    // bytes it is worth reading.
    bool ReadInputToEnd() {
        std::array<char, 4096> buffer;
        std::size_t total = 0;
        while (total <= kMaxDiscardedBody) {
            const int read =
                FCGX_GetStr(buffer.data(), static_cast<int>(buffer.size()), request_.in);
            if (read <= 0) {
                return true;
            }
            total += static_cast<std::size_t>(read);
        }
        return false;
    }

    FCGX_Request request_{};
};

// libfcgi's own threaded example takes turns at accept(); the rest of a request is the
// worker's alone.
std::mutex acceptMutex;
// Held while the process stops, so that a worker whose accept() failed sees the stop
// whichever of its two steps woke it.
std::mutex stopMutex;
bool stopping = false;

bool Stopping() {
    const std::lock_guard lock(stopMutex);
    return stopping;
}

[[noreturn]] void StopAfterFailedAccept(int status) {
    ReportError(std::string("accepting a FastCGI request failed: ") +
                (status < 0 ? std::strerror(-status) : "unknown error") + "; exiting");
    // Other workers may hold requests; the web server sees those connections close.
    std::_Exit(EXIT_FAILURE);
}

// Returns once the process is asked to stop.
void Work(const Responder& respond) {
    FastCgiRequest request;
    while (true) {
        int status = 0;
        {
            const std::lock_guard lock(acceptMutex);
            status = request.Accept();
        }
        if (status != 0 && Stopping()) {
            return;
        }
        if (status != 0) {
            StopAfterFailedAccept(status);
        }
        const Request fields{request.Param("REQUEST_METHOD"), request.Param("REMOTE_ADDR"),
                             request.Params("HTTP_X_FORWARDED_FOR")};
        request.Reply(respond(fields));
    }
}

// The signals that ask a responder to stop (lighttpd and systemd send SIGTERM, libfcgi
// knows SIGUSR1), taken by one thread: libfcgi's own handler would interrupt one accept()
// at most, and the other workers would wait on.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGTERM, SIGUSR1, SIGINT}) {
        sigaddset(&signals, signal);
    }
    return signals;
}

// Shutting the listening socket down wakes every accept() with an error.
void StopOnSignal(sigset_t signals) {
    int received = 0;
    sigwait(&signals, &received);
    const std::lock_guard lock(stopMutex);
    stopping = true;
    shutdown(FCGI_LISTENSOCK_FILENO, SHUT_RD);
}

}  // namespace

int ServeFastCgiRequests(std::vector<Responder> responders) {
    if (responders.empty() || FCGX_Init() != 0) {
        throw std::runtime_error("cannot set up FastCGI");
    }
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(StopOnSignal, signals).detach();
    std::vector<std::thread> others;
    for (std::size_t i = 1; i < responders.size(); ++i) {
        others.emplace_back(Work, std::cref(responders[i]));
    }
    Work(responders.front());
    for (std::thread& other : others) {
        other.join();
    }
    return EXIT_SUCCESS;
}

}  // namespace ipx
