#pragma once
// Bounds-checked little-endian reads from a file image, for decoding what the tool wrote.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace kestrin::art::test {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFileBytes(const std::filesystem::path& path);

// Every read past the end throws std::out_of_range, so a truncated file fails loudly.
class ByteReader {
public:
    explicit ByteReader(const Bytes& bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    std::uint8_t U8(std::size_t at) const;
    std::uint16_t U16(std::size_t at) const;
    std::uint32_t U32(std::size_t at) const;
    std::int32_t I32(std::size_t at) const;

private:
    const Bytes& bytes_;
};

}  // namespace kestrin::art::test
