#include "Response.h"

namespace ipx {

namespace {

std::string Header(std::string_view name, std::string_view value) {
    std::string line;
    line.append(name).append(": ").append(value).append("\r\n");
    return line;
}

std::string Response(std::string_view status, std::string_view extraHeaders,
                     std::string_view body, BodyWanted wanted) {
    std::string bytes = Header("Status", status);
    bytes += Header("Content-Type", kContentType);
    bytes += Header("Cache-Control", "no-store");
    bytes.append(extraHeaders).append("\r\n");
    if (wanted == BodyWanted::Yes) {
        bytes.append(body);
    }
    return bytes;
}

}  // namespace

std::string AnswerResponse(std::string_view address, std::string_view hostLine,
                           BodyWanted body) {
    std::string lines;
    lines.append(address).append("\n").append(hostLine).append("\n");
    return Response("200 OK", "", lines, body);
}

std::string MethodNotAllowedResponse(BodyWanted body) {
    return Response("405 Method Not Allowed", Header("Allow", kAllowedMethods),
                    "method not allowed\n", body);
}

std::string ServerErrorResponse(BodyWanted body) {
    return Response("500 Internal Server Error", "", "no valid client address\n", body);
}

}  // namespace ipx
