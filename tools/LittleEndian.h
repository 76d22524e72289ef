#pragma once
// Windows file headers are little-endian whatever the host is, so bytes are written one by one.

#include <cstdint>
#include <vector>

namespace kestrin::art {

using Bytes = std::vector<std::uint8_t>;

void AppendU8(Bytes& out, std::uint8_t value);
void AppendU16(Bytes& out, std::uint16_t value);
void AppendU32(Bytes& out, std::uint32_t value);
void AppendI32(Bytes& out, std::int32_t value);

}  // namespace kestrin::art
