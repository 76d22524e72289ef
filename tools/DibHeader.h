#pragma once
// The BITMAPINFOHEADER that both .bmp files and .ico images begin their pixel data with.

#include <cstdint>

#include "LittleEndian.h"

namespace kestrin::art {

inline constexpr std::uint32_t kInfoHeaderBytes = 40;

struct DibInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;  // positive: rows are stored bottom-up
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t imageBytes = 0;
    std::uint32_t coloursUsed = 0;  // palette entries that follow the header
};

void AppendInfoHeader(Bytes& out, const DibInfo& info);

// Every DIB row starts on a 4-byte boundary.
std::uint32_t RowStride(int width, int bitsPerPixel);

}  // namespace kestrin::art
