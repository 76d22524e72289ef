#include "TrustedProxies.h"

#include "TextSplit.h"

#include <charconv>

namespace ipx {

namespace {

unsigned BitCount(Address::Family family) {
    return family == Address::Family::V4 ? 32U : 128U;
}

std::optional<unsigned> ParsePrefixBits(std::string_view digits, Address::Family family) {
    unsigned bits = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, bits);
    if (digits.empty() || error != std::errc{} || stop != end || bits > BitCount(family)) {
        return std::nullopt;
    }
    return bits;
}

bool LeadingBitsEqual(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                      unsigned bits) {
    std::size_t index = 0;
    for (; bits >= 8; bits -= 8, ++index) {
        if (a[index] != b[index]) {
            return false;
        }
    }
    if (bits == 0) {
        return true;
    }
    const auto mask = static_cast<std::uint8_t>(0xffU << (8U - bits));
    return (a[index] & mask) == (b[index] & mask);
}

}  // namespace

AddressRange::AddressRange(const Address& network, unsigned prefixBits)
    : network_(network), prefixBits_(prefixBits) {}

std::optional<AddressRange> AddressRange::Parse(std::string_view text) {
    const std::size_t slash = text.find('/');
    const auto network = Address::Parse(text.substr(0, slash));
    if (!network) {
        return std::nullopt;
    }
    if (slash == std::string_view::npos) {
        return AddressRange(*network, BitCount(network->family()));
    }
    const auto bits = ParsePrefixBits(text.substr(slash + 1), network->family());
    if (!bits) {
        return std::nullopt;
    }
    return AddressRange(*network, *bits);
}

bool AddressRange::Contains(const Address& address) const {
    return address.family() == network_.family() &&
           LeadingBitsEqual(address.bytes(), network_.bytes(), prefixBits_);
}

std::optional<TrustedProxies> TrustedProxies::Parse(std::string_view list) {
    TrustedProxies proxies;
    for (const std::string_view item : SplitNonEmpty(list, " \t,")) {
        const auto range = AddressRange::Parse(item);
        if (!range) {
            return std::nullopt;
        }
        proxies.ranges_.push_back(*range);
    }
    return proxies;
}

bool TrustedProxies::Contains(const Address& address) const {
    for (const AddressRange& range : ranges_) {
        if (range.Contains(address)) {
            return true;
        }
    }
    return false;
}

}  // namespace ipx
