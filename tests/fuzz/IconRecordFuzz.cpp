// The tray icon record of either width built from any numbers and tip, with a stand-in for the
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

std::uint64_t NumberAt(const kestrin::IconRecordBuffer& bytes, std::size_t offset,
                       std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value |= std::uint64_t{bytes[offset + i]} << (8 * i);
    return value;
}

std::uint64_t Handle(Reader& in) {
    return in.Number() | std::uint64_t{in.Number()} << 32;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const auto& layout = in.Byte() % 2 ? kestrin::kIconRecord64 : kestrin::kIconRecord32;
    const std::uint64_t window = Handle(in), icon = Handle(in);
    const std::array<std::uint32_t, 3> numbers{in.Number(), in.Number(), in.Number()};
    const std::uint8_t mode = in.Byte();
    std::wstring tip;
    while (!in.Empty()) {
        const auto low = static_cast<std::uint32_t>(in.Byte());
        tip += static_cast<wchar_t>(low | static_cast<std::uint32_t>(in.Byte()) << 8);
    }

    const auto record = kestrin::SetIconData(layout, window, numbers[0], numbers[1], numbers[2],
                                             icon, tip);
    Require(record.cbSize == layout.size, "the record names its own size");
    Require(record.hWnd == window && record.uID == numbers[0] && record.uFlags == numbers[1] &&
                record.uCallbackMessage == numbers[2] && record.hIcon == icon,
            "the numbers are kept as given");
    const std::wstring_view field(record.szTip.data(), record.szTip.size());
    const std::size_t kept = std::min(tip.size(), kestrin::kTipChars - 1);
    Require(field.compare(0, kept, tip, 0, kept) == 0, "the tip's start is kept as given");
    Require(record.szTip[kept] == L'\0', "the kept tip is followed by a NUL");
    for (std::size_t i = kept + 1; i < record.szTip.size(); ++i) {
        Require(record.szTip[i] == L' ', "blanks fill the field after the NUL");
    }

    converterMode = mode;
    const auto bytes = kestrin::IconRecordBytes(record, layout, ConvertInto);
    Require(handedToConverter == field, "the converter is given the whole tip field");
    Require(NumberAt(bytes, 0, 4) == layout.size, "the record starts with its size, little-endian");
    const std::uint64_t handleMask = layout.handleBytes == 8 ? ~std::uint64_t{0} : 0xffffffffU;
    Require(NumberAt(bytes, layout.hWnd, layout.handleBytes) == (window & handleMask) &&
                NumberAt(bytes, layout.hIcon, layout.handleBytes) == (icon & handleMask),
            "each handle little-endian in its place, as wide as the layout's handles");
    Require(NumberAt(bytes, layout.uID, 4) == numbers[0] &&
                NumberAt(bytes, layout.uFlags, 4) == numbers[1] &&
                NumberAt(bytes, layout.uCallbackMessage, 4) == numbers[2],
            "each number little-endian in its place");
    for (std::size_t i = layout.size; i < bytes.size(); ++i) {
        Require(bytes[i] == 0, "nothing is written past the record");
    }
    const std::string converted =
        Convert(mode, field).substr(0, kestrin::kMaxTipBytes);
    const bool tooLong = converted.size() > kestrin::kTipChars;
    for (std::size_t i = 0; i < kestrin::kTipChars; ++i) {
        const std::uint8_t byte = bytes[layout.szTip + i];
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
