// The 88-byte tray icon record built from any numbers and tip, with a stand-in for the
// ANSI conversion that can drop, keep or multiply bytes per character the way code pages
// (and broken ones) do: the record keeps its size, its numbers and a closing NUL.

#include "FuzzTarget.h"

#include "IconExchange.h"

#include <algorithm>
#include <array>
#include <string>

using fuzz::Require;

namespace {

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    std::uint32_t Number() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        return value;
    }

    bool Empty() const { return at_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// How many bytes a character becomes: the mode picks one code-page behaviour.
std::size_t Width(std::uint8_t mode, wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    switch (mode % 4) {
        case 0: return 1;                       // single-byte code page
        case 1: return code % 4;                // anything from dropped to three bytes
        case 2: return code < 0x80 ? 1 : 2;     // double-byte code page
        default: return code == 0 ? 0 : 3;     // a converter that loses the NUL
    }
}

std::string Convert(std::uint8_t mode, std::wstring_view text) {
    std::string bytes;
    for (const wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        for (std::size_t i = 0; i < Width(mode, c); ++i) {
            bytes += static_cast<char>((code >> (8 * (i % 2))) & 0xffU);
        }
    }
    return bytes;
}

// The converter is a plain function, so what it needs and what it saw live here.
std::uint8_t converterMode = 0;
std::wstring handedToConverter;

std::size_t ConvertInto(std::wstring_view text, std::span<char> out) {
    handedToConverter = text;
    const std::string bytes = Convert(converterMode, text);
    const std::size_t count = std::min(bytes.size(), out.size());
    std::copy_n(bytes.begin(), count, out.begin());
    return count;
}

std::uint32_t NumberAt(const std::array<std::uint8_t, kestrin::kIconRecordBytes>& bytes,
                       std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const std::array<std::uint32_t, 5> numbers{in.Number(), in.Number(), in.Number(),
                                               in.Number(), in.Number()};
    const std::uint8_t mode = in.Byte();
    std::wstring tip;
    while (!in.Empty()) {
        const auto low = static_cast<std::uint32_t>(in.Byte());
        tip += static_cast<wchar_t>(low | static_cast<std::uint32_t>(in.Byte()) << 8);
    }

    const auto record =
        kestrin::SetIconData(numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], tip);
    Require(record.cbSize == kestrin::kIconRecordBytes, "the record names its own size");
    Require(record.hWnd == numbers[0] && record.uID == numbers[1] && record.uFlags == numbers[2] &&
                record.uCallbackMessage == numbers[3] && record.hIcon == numbers[4],
            "the numbers are kept as given");
    const std::wstring_view field(record.szTip.data(), record.szTip.size());
    const std::size_t kept = std::min(tip.size(), kestrin::kTipChars - 1);
    Require(field.compare(0, kept, tip, 0, kept) == 0, "the tip's start is kept as given");
    Require(record.szTip[kept] == L'\0', "the kept tip is followed by a NUL");
    for (std::size_t i = kept + 1; i < record.szTip.size(); ++i) {
        Require(record.szTip[i] == L' ', "blanks fill the field after the NUL");
    }

    converterMode = mode;
    const auto bytes = kestrin::IconRecordBytes(record, ConvertInto);
    Require(handedToConverter == field, "the converter is given the whole tip field");
    Require(bytes.size() == 88, "the record is 88 bytes");
    Require(bytes[0] == 88 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0,
            "the record starts with 88, little-endian");
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        Require(NumberAt(bytes, 4 * (i + 1)) == numbers[i], "each number little-endian in its place");
    }
    const std::string converted =
        Convert(mode, field).substr(0, kestrin::kMaxTipBytes);
    const bool tooLong = converted.size() > kestrin::kTipChars;
    for (std::size_t i = 0; i < kestrin::kTipChars; ++i) {
        const std::uint8_t byte = bytes[24 + i];
        if (tooLong && i == kestrin::kTipChars - 1) {
            Require(byte == 0, "a tip converted past 64 bytes still ends in a NUL");
        } else if (i < converted.size()) {
            Require(byte == static_cast<std::uint8_t>(converted[i]), "the converted tip is copied");
        } else {
            Require(byte == 0, "a tip converted short is padded with NULs");
        }
    }
    return 0;
}
