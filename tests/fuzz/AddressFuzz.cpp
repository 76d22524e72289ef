// REMOTE_ADDR-like text and raw address bytes: whatever is accepted has one canonical
// text that parses back to the same address and the same text.

#include "FuzzTarget.h"

#include "Address.h"

#include <algorithm>
#include <array>
#include <string>

using fuzz::Require;

namespace {

constexpr std::array<std::uint8_t, 12> kMappedPrefix{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};

void RequireCanonical(const ipx::Address& address) {
    const bool v4 = address.family() == ipx::Address::Family::V4;
    Require(address.bytes().size() == (v4 ? 4U : 16U), "4 bytes for IPv4, 16 for IPv6");
    if (!v4) {
        Require(!std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), address.bytes().begin()),
                "an IPv4-mapped address is held as IPv4");
    }
    const std::string text = address.Text();
    Require(!text.empty(), "every address has a text");
    Require(std::all_of(text.begin(), text.end(),
                        [](char c) {
                            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '.' ||
                                   c == ':';
                        }),
            "the canonical text is lower-case hex digits, dots and colons");
    Require((text.find(':') == std::string::npos) == v4, "only IPv6 text has colons");
    const auto again = ipx::Address::Parse(text);
    Require(again.has_value(), "the canonical text parses");
    Require(*again == address, "the canonical text parses to the same address");
    Require(again->Text() == text, "canonicalising twice changes nothing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    if (const auto address = ipx::Address::Parse(text)) {
        Require(std::all_of(text.begin(), text.end(),
                            [](char c) {
                                return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
                                       (c >= 'A' && c <= 'F') || c == '.' || c == ':';
                            }),
                "an accepted text is only hex digits, dots and colons: no brackets, port, "
                "zone, blanks or NUL");
        RequireCanonical(*address);
        if (address->family() == ipx::Address::Family::V4 && text.find(':') == std::string::npos) {
            Require(address->Text() == text, "a dotted quad is already canonical");
        }
    }

    // The same bytes as a raw address of either family.
    std::array<std::uint8_t, 16> raw{};
    std::copy_n(data, std::min(size, raw.size()), raw.begin());
    std::array<std::uint8_t, 4> raw4{};
    std::copy_n(raw.begin(), raw4.size(), raw4.begin());
    const auto v4 = ipx::Address::FromV4(raw4);
    Require(v4.family() == ipx::Address::Family::V4 &&
                std::equal(raw4.begin(), raw4.end(), v4.bytes().begin()),
            "an IPv4 address keeps its bytes");
    RequireCanonical(v4);
    const auto v6 = ipx::Address::FromV6(raw);
    if (std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), raw.begin())) {
        Require(v6 == ipx::Address::FromV4({raw[12], raw[13], raw[14], raw[15]}),
                "a mapped address equals its IPv4 address");
    } else {
        Require(std::equal(raw.begin(), raw.end(), v6.bytes().begin(), v6.bytes().end()),
                "an IPv6 address keeps its bytes");
    }
    RequireCanonical(v6);
    return 0;
}
