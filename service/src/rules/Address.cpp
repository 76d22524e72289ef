#include "Address.h"

#include <arpa/inet.h>

#include <algorithm>

namespace ipx {

namespace {

constexpr std::array<std::uint8_t, 12> kMappedPrefix{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};

bool IsV4Mapped(const std::array<std::uint8_t, 16>& bytes) {
    return std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), bytes.begin());
}

}  // namespace

Address::Address(Family family, const std::array<std::uint8_t, 16>& bytes)
    : family_(family), bytes_(bytes) {}

Address Address::FromV4(const std::array<std::uint8_t, 4>& bytes) {
    std::array<std::uint8_t, 16> padded{};
    std::copy(bytes.begin(), bytes.end(), padded.begin());
    return Address(Family::V4, padded);
}

Address Address::FromV6(const std::array<std::uint8_t, 16>& bytes) {
    if (!IsV4Mapped(bytes)) {
        return Address(Family::V6, bytes);
    }
    std::array<std::uint8_t, 4> v4{};
    std::copy(bytes.begin() + kMappedPrefix.size(), bytes.end(), v4.begin());
    return FromV4(v4);
}

std::optional<Address> Address::Parse(std::string_view text) {
    // inet_pton wants a terminated string; an embedded NUL must not cut the text short.
    if (text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string terminated(text);
    std::array<std::uint8_t, 4> v4{};
    if (inet_pton(AF_INET, terminated.c_str(), v4.data()) == 1) {
        return FromV4(v4);
    }
    std::array<std::uint8_t, 16> v6{};
    if (inet_pton(AF_INET6, terminated.c_str(), v6.data()) == 1) {
        return FromV6(v6);
    }
    return std::nullopt;
}

std::span<const std::uint8_t> Address::bytes() const {
    return {bytes_.data(), family_ == Family::V4 ? std::size_t{4} : std::size_t{16}};
}

std::string Address::Text() const {
    std::array<char, INET6_ADDRSTRLEN> buffer{};
    const int af = family_ == Family::V4 ? AF_INET : AF_INET6;
    inet_ntop(af, bytes_.data(), buffer.data(), static_cast<socklen_t>(buffer.size()));
    return buffer.data();
}

}  // namespace ipx
