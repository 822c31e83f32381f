#include "strings/TextEncoding.h"
#include "fixtures/FirmwareBuilder.h"

#include <gtest/gtest.h>

using namespace tovallo;
using tovallo::testing::HexBytes;

TEST(TextEncoding, RussianAndAsciiRoundTrip) {
    EXPECT_EQ(WinToUtf8(""), "");
    EXPECT_EQ(Utf8ToWin(""), "");
    const std::string privet = HexBytes("CF F0 E8 E2 E5 F2");
    const std::string utf8 = HexBytes("D0 9F D1 80 D0 B8 D0 B2 D0 B5 D1 82");
    EXPECT_EQ(WinToUtf8(privet), utf8);
    EXPECT_EQ(Utf8ToWin(utf8), privet);

    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    const std::string back = Utf8ToWin(WinToUtf8(every));
    ASSERT_EQ(back.size(), 256u);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(static_cast<unsigned char>(back[b]), (b >= 0x80 && b < 0xC0) ? 0x60 : b) << b;
}

TEST(TextEncoding, DecodingOutsideTheTables) {
    EXPECT_EQ(Utf8ToWin(HexBytes("41 BF 42")), HexBytes("41 2E 42"));
    EXPECT_EQ(Utf8ToWin(HexBytes("E2 80 94")), HexBytes("60 2E"));
    EXPECT_EQ(Utf8ToWin(HexBytes("D1 91")), "\xB8");
    EXPECT_EQ(Utf8ToWin(HexBytes("D1 90")), "\xA8");
    EXPECT_EQ(Utf8ToWin(HexBytes("D0 81")), "`") << "only D1 90 is read as the capital Yo";
    EXPECT_EQ(Utf8ToWin(HexBytes("D1 92 41")), "`A");
    EXPECT_EQ(Utf8ToWin(HexBytes("41 D0")), "A`") << "a lead byte at the end";
    EXPECT_EQ(Utf8ToWin(HexBytes("FE FF 00")), std::string("..\0", 3));
    EXPECT_EQ(WinToUtf8(HexBytes("A8 B8 00")), std::string("``\0", 3));
}
