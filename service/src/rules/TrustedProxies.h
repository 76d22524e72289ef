#pragma once
// The proxies whose X-Forwarded-For the operator believes, as addresses and CIDR ranges.

#include "Address.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ipx {

class AddressRange {
public:
    // "192.0.2.0/24", "2001:db8::/32", or a bare address meaning that one address.
    // Bits past the prefix length are ignored.
    static std::optional<AddressRange> Parse(std::string_view text);

    bool Contains(const Address& address) const;

private:
    AddressRange(const Address& network, unsigned prefixBits);

    Address network_;
    unsigned prefixBits_;
};

class TrustedProxies {
public:
    TrustedProxies() = default;

    // Ranges separated by spaces, tabs or commas; empty means no proxy is trusted.
    // Any item that is not a range makes the whole list invalid.
    static std::optional<TrustedProxies> Parse(std::string_view list);

    bool Contains(const Address& address) const;

private:
    std::vector<AddressRange> ranges_;
};

}  // namespace ipx
