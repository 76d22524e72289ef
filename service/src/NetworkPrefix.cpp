#include "NetworkPrefix.h"

namespace ipx {

std::string NetworkPrefix(const Address& address) {
    const bool v4 = address.family() == Address::Family::V4;
    const auto bytes = address.bytes();
    std::string key(1, v4 ? '4' : '6');
    key.append(bytes.begin(), bytes.begin() + (v4 ? 3 : 8));
    return key;
}

}  // namespace ipx
