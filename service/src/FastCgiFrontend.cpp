#include "FastCgiFrontend.h"

#include "RequestBody.h"

#include <fcgiapp.h>

#include <array>
#include <cstdlib>
#include <stdexcept>

namespace ipx {

namespace {

class FastCgiRequest {
public:
    FastCgiRequest() {
        if (FCGX_Init() != 0 || FCGX_InitRequest(&request_, 0, 0) != 0) {
            throw std::runtime_error("cannot set up FastCGI");
        }
    }
    ~FastCgiRequest() { FCGX_Free(&request_, 1); }
    FastCgiRequest(const FastCgiRequest&) = delete;
    FastCgiRequest& operator=(const FastCgiRequest&) = delete;

    bool Accept() { return FCGX_Accept_r(&request_) == 0; }

    std::optional<std::string_view> Param(const char* name) {
        const char* value = FCGX_GetParam(name, request_.envp);
        return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
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

}  // namespace

int ServeFastCgiRequests(const std::function<std::string(const Request&)>& respond) {
    FastCgiRequest request;
    while (request.Accept()) {
        const Request fields{request.Param("REQUEST_METHOD"), request.Param("REMOTE_ADDR"),
                             request.Param("HTTP_X_FORWARDED_FOR")};
        request.Reply(respond(fields));
    }
    return EXIT_SUCCESS;
}

}  // namespace ipx
