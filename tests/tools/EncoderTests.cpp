// The byte order of the encoders' header fields; the encoded pictures are decoded again
// by art_files_test.py.

#include <gtest/gtest.h>

#include "LittleEndian.h"

namespace kestrin::art::test {
namespace {

TEST(LittleEndian, WritesLeastSignificantByteFirst) {
    Bytes out;
    AppendU8(out, 0x01);
    AppendU16(out, 0x0302);
    AppendU32(out, 0x07060504);
    AppendI32(out, -2);
    EXPECT_EQ(out, (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xFE, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace kestrin::art::test
