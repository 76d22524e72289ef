#pragma once
// The request body, which ipx.cgi never uses but must read as CGI: Apache's mod_cgid hands
// it over a socket, and a program that exits leaving bytes unread there resets that
// socket, so Apache loses the answer already written and the caller gets nothing.

#include <cstddef>
#include <optional>
#include <string_view>

namespace ipx {

// Enough for any body a caller has a reason to send; beyond it, reading costs more than
// the answer is worth to a caller that sends such bodies.
inline constexpr std::size_t kMaxDiscardedBody = std::size_t{1} << 20;

// How many bytes of body to read and drop, from CONTENT_LENGTH: none when it is missing or
// not a plain decimal number, and never more than kMaxDiscardedBody.
std::size_t BodyBytesToDiscard(std::optional<std::string_view> contentLength);

}  // namespace ipx
