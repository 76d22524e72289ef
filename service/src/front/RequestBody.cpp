#include "RequestBody.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace ipx {

std::size_t BodyBytesToDiscard(std::optional<std::string_view> contentLength) {
    if (!contentLength || contentLength->empty()) {
        return 0;
    }
    const std::string_view text = *contentLength;
    std::uintmax_t length = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (error == std::errc::result_out_of_range) {
        return kMaxDiscardedBody;
    }
    if (error != std::errc{} || end != text.data() + text.size()) {
        return 0;
    }
    return static_cast<std::size_t>(std::min<std::uintmax_t>(length, kMaxDiscardedBody));
}

}  // namespace ipx
