#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "IconExchange.h"

using kestrin::IconRecordBytes;
using kestrin::SetIconData;

namespace {

// One byte per character, as the usual single-byte ANSI code pages give for ASCII.
std::size_t Narrow(std::wstring_view text, std::span<char> out) {
    const std::size_t count = std::min(text.size(), out.size());
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<char>(text[i]);
    return count;
}

std::uint32_t NumberAt(const std::array<std::uint8_t, 88>& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::string TipField(const std::array<std::uint8_t, 88>& bytes) {
    return std::string(bytes.begin() + 24, bytes.end());
}

std::wstring Tip(const kestrin::IconRecord& record) {
    return {record.szTip.begin(), record.szTip.end()};
}

}  // namespace

TEST(IconRecord, ProgramRecordIsSixLittleEndianNumbersThenAnEmptyTip) {
    const auto bytes = IconRecordBytes(SetIconData(0x00010ABC, 1, 7, 0x8001, 0xFEDC1234, L""), Narrow);
    EXPECT_EQ(NumberAt(bytes, 0), 88u);
    EXPECT_EQ(NumberAt(bytes, 4), 0x00010ABCu);
    EXPECT_EQ(NumberAt(bytes, 8), 1u);
    EXPECT_EQ(NumberAt(bytes, 12), 7u);
    EXPECT_EQ(NumberAt(bytes, 16), 0x8001u);
    EXPECT_EQ(NumberAt(bytes, 20), 0xFEDC1234u);
    EXPECT_EQ(bytes[0], 88);
    EXPECT_EQ(bytes[23], 0xFE) << "the icon handle's high byte comes last";
    EXPECT_EQ(TipField(bytes), std::string(1, '\0') + std::string(63, ' '));
}

TEST(IconRecord, ShortTipIsFollowedByOneNulAndBlanks) {
    const auto bytes = IconRecordBytes(SetIconData(1, 1, 7, 0x8001, 2, L"abc"), Narrow);
    EXPECT_EQ(TipField(bytes), std::string("abc") + '\0' + std::string(60, ' '));
}

TEST(IconRecord, LongTipIsCutSoTheFieldStillEndsInNul) {
    const std::wstring tip(70, L'x');
    const auto record = SetIconData(1, 1, 7, 0x8001, 2, tip);
    EXPECT_EQ(Tip(record), std::wstring(63, L'x') + L'\0');
    EXPECT_EQ(TipField(IconRecordBytes(record, Narrow)), std::string(63, 'x') + '\0');

    const auto exactly63 = SetIconData(1, 1, 7, 0x8001, 2, std::wstring(63, L'y'));
    EXPECT_EQ(Tip(exactly63), std::wstring(63, L'y') + L'\0');
}

TEST(IconRecord, TipThatGrowsInAMultiByteCodePageKeepsItsFinalNul) {
    const auto doubleBytes = [](std::wstring_view text, std::span<char> out) {
        std::size_t at = 0;
        for (wchar_t c : text) {
            if (c == L' ') {
                out[at++] = ' ';
            } else {
                out[at++] = static_cast<char>(0x82);
                out[at++] = static_cast<char>(0x82);
            }
        }
        return at;
    };
    const auto bytes = IconRecordBytes(SetIconData(1, 1, 7, 0x8001, 2, std::wstring(40, L'k')), doubleBytes);
    EXPECT_EQ(bytes[87], 0);
    EXPECT_EQ(bytes[24], 0x82);
    EXPECT_EQ(NumberAt(bytes, 0), 88u) << "the numbers are untouched by the tip";
}

TEST(IconRecord, TipThatShrinksInConversionIsPaddedWithNuls) {
    const auto dropsEverything = [](std::wstring_view, std::span<char>) -> std::size_t { return 0; };
    const auto bytes = IconRecordBytes(SetIconData(1, 1, 7, 0x8001, 2, L"abc"), dropsEverything);
    EXPECT_TRUE(std::all_of(bytes.begin() + 24, bytes.end(), [](std::uint8_t b) { return b == 0; }));

    const auto keepsTwo = [](std::wstring_view text, std::span<char> out) {
        return Narrow(text.substr(0, 2), out);
    };
    EXPECT_EQ(TipField(IconRecordBytes(SetIconData(1, 1, 7, 0x8001, 2, L"abc"), keepsTwo)),
              "ab" + std::string(62, '\0'));
}
