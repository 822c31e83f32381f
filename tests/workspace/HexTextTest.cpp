#include "workspace/HexText.h"
#include "fixtures/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace tovallo;

namespace {

std::string cleanedHex(std::string s) {
    CleanHexText(s);
    return s;
}

std::string cleanedDec(std::string s) {
    CleanDecText(s);
    return s;
}

} // namespace

TEST(HexText, AddressTextIsEightUpperCaseDigits) {
    EXPECT_EQ(ToHexAddr(0), "0x00000000");
    EXPECT_EQ(ToHexAddr(0xFFFFFFFF), "0xFFFFFFFF");
    EXPECT_EQ(ToHexAddr(258820), "0x0003F304");
    EXPECT_EQ(ToHexAddr(0xabcdef01), "0xABCDEF01");
}

TEST(HexText, CleaningKeepsOnlyHexDigitsBehindOnePrefix) {
    EXPECT_EQ(cleanedHex("0X1a:2g"), "0x1a2");
    EXPECT_EQ(cleanedHex(""), "0x0");
    EXPECT_EQ(cleanedHex("zz"), "0x0");
    EXPECT_EQ(cleanedHex("12 34"), "0x1234");
    EXPECT_EQ(cleanedHex("x0x5"), "0x05");
    EXPECT_EQ(cleanedHex("0x0x5"), "0x05");
    EXPECT_EQ(cleanedDec("1a2 3"), "123");
    EXPECT_EQ(cleanedDec("abc"), "");
}

TEST(HexText, ParsingAcceptsPlatformPrefixesAndReportsWhatIsNoNumber) {
    EXPECT_EQ(ParseHexAddr("0x1a2"), 0x1a2u);
    EXPECT_EQ(ParseHexAddr("$FF"), 0xFFu);
    EXPECT_EQ(ParseHexAddr("XfF"), 0xFFu);
    EXPECT_EQ(ParseHexAddr("0xFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseHexAddr("0x000000012345678"), 0x12345678u)
        << "leading zeros are not significant";
    EXPECT_EQ(ParseHexAddr("4096"), 4096u);

    tovallo::testing::ScriptedDialogs dialogs;
    EXPECT_FALSE(ParseHexAddr("0x123456789", &dialogs));
    EXPECT_FALSE(ParseHexAddr("0x", &dialogs));
    EXPECT_FALSE(ParseHexAddr("12z", &dialogs));
    EXPECT_FALSE(ParseDecimal("4294967296", &dialogs));
    ASSERT_EQ(dialogs.shown.size(), 4u);
    EXPECT_EQ(dialogs.shown[0].text, "'0x123456789' is not a valid integer value");
    EXPECT_TRUE(dialogs.showedText());
}
