#include "ByteReader.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kestrin::art::test {

Bytes ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path.string());
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint8_t ByteReader::U8(std::size_t at) const { return bytes_.at(at); }

std::uint16_t ByteReader::U16(std::size_t at) const {
    return static_cast<std::uint16_t>(U8(at) | U8(at + 1) << 8);
}

std::uint32_t ByteReader::U32(std::size_t at) const {
    return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
}

std::int32_t ByteReader::I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }

}  // namespace kestrin::art::test
