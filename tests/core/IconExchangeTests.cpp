#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "IconExchange.h"

using kestrin::IconRecordBytes;
using kestrin::kIconRecord32;
using kestrin::SetIconData;

namespace {

// One byte per character, as the usual single-byte ANSI code pages give for ASCII.
std::size_t Narrow(std::wstring_view text, std::span<char> out) {
    const std::size_t count = std::min(text.size(), out.size());
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<char>(text[i]);
    return count;
}

std::uint64_t NumberAt(const kestrin::IconRecordBuffer& bytes, std::size_t offset, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value |= std::uint64_t{bytes[offset + i]} << (8 * i);
    return value;
}

std::string TipField(const kestrin::IconRecordBuffer& bytes) {
    return std::string(bytes.begin() + 24, bytes.begin() + 88);
}

// The 32-bit record of a tip; the numbers are the same for every tip.
kestrin::IconRecordBuffer Bytes32(std::wstring_view tip, kestrin::AnsiConverter convert) {
    return IconRecordBytes(SetIconData(kIconRecord32, 1, 1, 7, 0x8001, 2, tip), kIconRecord32,
                           convert);
}

std::wstring Tip(const kestrin::IconRecord& record) {
    return {record.szTip.begin(), record.szTip.end()};
}

}  // namespace

// Each width's record, field by field: every byte is either a field's or zero.
TEST(IconRecord, EachWidthPutsTheFieldsWhereThatWidthsShellReadsThem) {
    struct Field {
        std::size_t offset, size;
        std::uint64_t value;
    };
    struct Width {
        const char* name;
        const kestrin::IconRecordLayout& layout;
        std::vector<Field> fields;
    };
    const std::uint64_t window = 0xFFFFFFFF80010ABC, icon = 0x00000000FEDC1234;
    const Width widths[] = {
        {"32-bit", kestrin::kIconRecord32,
         {{0, 4, 88}, {4, 4, 0x80010ABC}, {8, 4, 1}, {12, 4, 7}, {16, 4, 0x8001}, {20, 4, icon}}},
        {"64-bit", kestrin::kIconRecord64,
         {{0, 4, 104}, {8, 8, window}, {16, 4, 1}, {20, 4, 7}, {24, 4, 0x8001}, {32, 8, icon}}},
    };
    for (const Width& width : widths) {
        SCOPED_TRACE(width.name);
        const auto record = SetIconData(width.layout, window, 1, 7, 0x8001, icon, L"ab");
        EXPECT_EQ(record.cbSize, width.layout.size);
        const auto bytes = IconRecordBytes(record, width.layout, Narrow);
        std::vector<bool> claimed(bytes.size());
        for (const Field& field : width.fields) {
            EXPECT_EQ(NumberAt(bytes, field.offset, field.size), field.value) << "at " << field.offset;
            std::fill_n(claimed.begin() + static_cast<std::ptrdiff_t>(field.offset), field.size, true);
        }
        const auto tip = bytes.begin() + static_cast<std::ptrdiff_t>(width.layout.szTip);
        EXPECT_EQ(std::string(tip, tip + 64), std::string("ab") + '\0' + std::string(61, ' '));
        std::fill_n(claimed.begin() + static_cast<std::ptrdiff_t>(width.layout.szTip), 64, true);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            EXPECT_TRUE(claimed[i] || bytes[i] == 0) << "byte " << i << " lies in no field";
        }
        EXPECT_EQ(width.layout.szTip + 64, width.layout.size) << "the tip ends the record";
    }
}

TEST(IconRecord, ShortTipIsFollowedByOneNulAndBlanks) {
    const auto bytes = Bytes32(L"abc", Narrow);
    EXPECT_EQ(TipField(bytes), std::string("abc") + '\0' + std::string(60, ' '));
}

TEST(IconRecord, LongTipIsCutSoTheFieldStillEndsInNul) {
    const std::wstring tip(70, L'x');
    const auto record = SetIconData(kIconRecord32, 1, 1, 7, 0x8001, 2, tip);
    EXPECT_EQ(Tip(record), std::wstring(63, L'x') + L'\0');
    EXPECT_EQ(TipField(IconRecordBytes(record, kIconRecord32, Narrow)), std::string(63, 'x') + '\0');

    const auto exactly63 = SetIconData(kIconRecord32, 1, 1, 7, 0x8001, 2, std::wstring(63, L'y'));
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
    const auto bytes = Bytes32(std::wstring(40, L'k'), doubleBytes);
    EXPECT_EQ(bytes[87], 0);
    EXPECT_EQ(bytes[24], 0x82);
    EXPECT_EQ(NumberAt(bytes, 0, 4), 88u) << "the numbers are untouched by the tip";
}

TEST(IconRecord, TipThatShrinksInConversionIsPaddedWithNuls) {
    const auto dropsEverything = [](std::wstring_view, std::span<char>) -> std::size_t { return 0; };
    const auto bytes = Bytes32(L"abc", dropsEverything);
    EXPECT_TRUE(std::all_of(bytes.begin() + 24, bytes.begin() + 88, [](std::uint8_t b) { return b == 0; }));

    const auto keepsTwo = [](std::wstring_view text, std::span<char> out) {
        return Narrow(text.substr(0, 2), out);
    };
    EXPECT_EQ(TipField(Bytes32(L"abc", keepsTwo)),
              "ab" + std::string(62, '\0'));
}
