#pragma once
// The exact bytes a CGI or FastCGI responder writes: CGI header lines, blank line, body.

#include <string>
#include <string_view>

namespace ipx {

enum class BodyWanted { Yes, No };  // No for HEAD: the same headers, no body

inline constexpr std::string_view kContentType = "text/plain; charset=us-ascii";
inline constexpr std::string_view kAllowedMethods = "GET, HEAD";

// 200: the address on line 1, the host name (or the address again) on line 2.
std::string AnswerResponse(std::string_view address, std::string_view hostLine,
                           BodyWanted body);

// 405 with the Allow header.
std::string MethodNotAllowedResponse(BodyWanted body);

// 500 with a fixed body that never repeats what the request carried.
std::string ServerErrorResponse(BodyWanted body);

}  // namespace ipx
