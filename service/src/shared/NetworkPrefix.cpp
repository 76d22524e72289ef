#include "NetworkPrefix.h"

#include <cstddef>

namespace ipx {

namespace {

std::string PrefixKey(const Address& address, std::size_t v4Bytes, std::size_t v6Bytes) {
    const bool v4 = address.family() == Address::Family::V4;
    const auto bytes = address.bytes();
    std::string key(1, v4 ? '4' : '6');
    key.append(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(v4 ? v4Bytes : v6Bytes));
    return key;
}

}  // namespace

std::string NetworkPrefix(const Address& address) {
    return PrefixKey(address, 3, 8);
}

std::string WideNetworkPrefix(const Address& address) {
    return PrefixKey(address, 2, 6);
}

}  // namespace ipx
