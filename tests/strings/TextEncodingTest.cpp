#include "strings/TextEncoding.h"
#include "fixtures/FirmwareBuilder.h"
#include "strings/Cp1251.h"

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

TEST(Cp1251, ConvertsBothWaysAndRefusesWhatTheCodePageLacks) {
    std::string every;
    for (int b = 0; b < 256; ++b)
        if (b != 0x98) // unassigned in Windows-1251
            every += static_cast<char>(b);
    const std::string utf8 = Cp1251ToUtf8(every);
    EXPECT_EQ(Utf8ToCp1251(utf8).text, every);
    EXPECT_EQ(Cp1251ToUtf8("\x88\xB9\xCF\xF0\xE8"),
              "\xE2\x82\xAC\xE2\x84\x96\xD0\x9F\xD1\x80\xD0\xB8");
    EXPECT_EQ(Cp1251ToUtf8("a\x98z"), "a\xEF\xBF\xBDz");

    // "Ω" and "中" have no Windows-1251 form; nothing is converted and the first one is named.
    const Cp1251Result omega = Utf8ToCp1251("ab\xCE\xA9\xE4\xB8\xAD");
    EXPECT_FALSE(omega.text);
    EXPECT_EQ(omega.unconvertible, "\xCE\xA9");
    EXPECT_EQ(omega.problem(), "the character U+03A9 has no Windows-1251 form");
    EXPECT_EQ(Utf8ToCp1251("\xE4\xB8\xAD").problem(),
              "the character U+4E2D has no Windows-1251 form");
    // Malformed UTF-8: a stray byte, a cut sequence, an overlong form.
    for (const std::string bad : {"x\xFFy", "x\xE4\xB8", "\xC0\x80"}) {
        const Cp1251Result r = Utf8ToCp1251(bad);
        EXPECT_FALSE(r.text) << bad;
        EXPECT_NE(r.problem().find("no valid UTF-8"), std::string::npos) << r.problem();
    }

    // A message: Windows-1251 words ("Нет") around a file name in UTF-8 ("Загрузки"); a run
    // that is no valid UTF-8 (a cut sequence) is read as Windows-1251.
    EXPECT_EQ(
        ComposedTextToUtf8("\xCD\xE5\xF2 \"/tmp/\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7"
                           "\xD0\xBA\xD0\xB8/fw.bin\" \xD0"),
        "Нет \"/tmp/Загрузки/fw.bin\" Р");
}
