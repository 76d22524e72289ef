#include "FastCgiFrontend.h"

#include "EnvironmentValues.h"
#include "ErrorReport.h"
#include "RequestBody.h"

#include <fastcgi.h>
#include <fcgiapp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
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

// Readable once the process is asked to stop, and from then on for every worker. The
// listening socket itself stays as it is: under systemd's socket activation it is shared
// with systemd, which hands it, with the connections still waiting in it, to the next
// process.
class StopEvent {
public:
    StopEvent() : fd_(eventfd(0, EFD_CLOEXEC)) {
        if (fd_ < 0) {
            throw std::runtime_error("cannot set up the stop event");
        }
    }
    ~StopEvent() { close(fd_); }
    StopEvent(const StopEvent&) = delete;
    StopEvent& operator=(const StopEvent&) = delete;

    void Raise() const {
        const std::uint64_t one = 1;
        while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }

    // Waits for a connection to accept or the stop, and tells which came; a listening
    // socket that fails counts as a connection, so that accept() reports why.
    bool ConnectionBeforeStop() const {
        std::array<pollfd, 2> waited{{{FCGI_LISTENSOCK_FILENO, POLLIN, 0}, {fd_, POLLIN, 0}}};
        while (poll(waited.data(), waited.size(), -1) < 0 && errno == EINTR) {
        }
        return waited[1].revents == 0;
    }

private:
    int fd_;
};

// libfcgi's own threaded example takes turns at accept(); the rest of a request is the
// worker's alone.
std::mutex acceptMutex;

[[noreturn]] void StopAfterFailedAccept(int status) {
    ReportError(std::string("accepting a FastCGI request failed: ") +
                (status < 0 ? std::strerror(-status) : "unknown error") + "; exiting");
    // Other workers may hold requests; the web server sees those connections close.
    std::_Exit(EXIT_FAILURE);
}

// Returns once the process is asked to stop.
void Work(const Responder& respond, const StopEvent& stop) {
    FastCgiRequest request;
    while (true) {
        int status = 0;
        {
            const std::lock_guard lock(acceptMutex);
            if (!stop.ConnectionBeforeStop()) {
                return;
            }
            status = request.Accept();
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

void StopOnSignal(sigset_t signals, const StopEvent& stop) {
    int received = 0;
    sigwait(&signals, &received);
    stop.Raise();
}

}  // namespace

int ServeFastCgiRequests(std::vector<Responder> responders) {
    if (responders.empty() || FCGX_Init() != 0) {
        throw std::runtime_error("cannot set up FastCGI");
    }
    // Lives as long as the process: the signal thread may still be on its way out of
    // Raise() when the workers have seen the stop and this returns.
    static const StopEvent stop;
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(StopOnSignal, signals, std::cref(stop)).detach();
    std::vector<std::thread> others;
    for (std::size_t i = 1; i < responders.size(); ++i) {
        others.emplace_back(Work, std::cref(responders[i]), std::cref(stop));
    }
    Work(responders.front(), stop);
    for (std::thread& other : others) {
        other.join();
    }
    return EXIT_SUCCESS;
}

}  // namespace ipx
