#include "LittleEndian.h"

namespace kestrin::art {

void AppendU8(Bytes& out, std::uint8_t value) { out.push_back(value); }

void AppendU16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendU32(Bytes& out, std::uint32_t value) {
    AppendU16(out, static_cast<std::uint16_t>(value & 0xFFFFu));
    AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

void AppendI32(Bytes& out, std::int32_t value) {
    // Two's complement is guaranteed since C++20, so the cast keeps the bit pattern.
    AppendU32(out, static_cast<std::uint32_t>(value));
}

}  // namespace kestrin::art
