#include "workspace/HexText.h"
#include "fixtures/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace tovallo;

TEST(HexText, AddressTextsAreWrittenCleanedAndParsed) {
    EXPECT_EQ(ToHexAddr(0), "0x00000000");
    EXPECT_EQ(ToHexAddr(0xFFFFFFFF), "0xFFFFFFFF");
    EXPECT_EQ(ToHexAddr(0xabcdef01), "0xABCDEF01");

    // Cleaning keeps only hex digits behind one prefix.
    const std::pair<std::string, std::string> cleaned[] = {
        {"0X1a:2g", "0x1a2"}, {"", "0x0"},      {"zz", "0x0"},
        {"12 34", "0x1234"},  {"x0x5", "0x05"}, {"0x0x5", "0x05"}};
    for (auto [text, clean] : cleaned) {
        CleanHexText(text);
        EXPECT_EQ(text, clean);
    }
    std::string digits = "1a2 3", none = "abc";
    CleanDecText(digits);
    CleanDecText(none);
    EXPECT_EQ(digits, "123");
    EXPECT_EQ(none, "");

    // Platform prefixes are accepted, leading zeros are not significant, no prefix is decimal.
    const std::pair<std::string, uint32_t> parsed[] = {
        {"0x1a2", 0x1a2u},          {"$FF", 0xFFu},  {"XfF", 0xFFu},
        {"0xFFFFFFFF", 0xFFFFFFFF}, {"4096", 4096u}, {"0x000000012345678", 0x12345678u}};
    for (const auto& [text, value] : parsed)
        EXPECT_EQ(ParseHexAddr(text), value) << text;

    tovallo::testing::ScriptedDialogs dialogs;
    for (const char* bad : {"0x123456789", "0x", "12z"})
        EXPECT_FALSE(ParseHexAddr(bad, &dialogs)) << bad;
    EXPECT_FALSE(ParseDecimal("4294967296", &dialogs));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>(4, -1));
    EXPECT_EQ(dialogs.shown[0].text, "'0x123456789' is not a valid integer value");
}
