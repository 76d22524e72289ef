#include "FastCgiFrontend.h"

#include <fcgiapp.h>

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
        FCGX_PutStr(bytes.data(), static_cast<int>(bytes.size()), request_.out);
        FCGX_Finish_r(&request_);
    }

private:
    FCGX_Request request_{};
};

}  // namespace

int ServeFastCgiRequests(Service& service) {
    FastCgiRequest request;
    while (request.Accept()) {
        const Request fields{request.Param("REQUEST_METHOD"), request.Param("REMOTE_ADDR"),
                             request.Param("HTTP_X_FORWARDED_FOR")};
        request.Reply(service.Respond(fields));
    }
    return EXIT_SUCCESS;
}

}  // namespace ipx
