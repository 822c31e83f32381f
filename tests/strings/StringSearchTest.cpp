#include "strings/StringSearch.h"
#include "StringsTestSupport.h"
#include "strings/TextEncoding.h"
#include "workspace/MessageNumbers.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::HexBytes;

TEST(StringExtent, EndsAtControlBytesOrBrokenUtf8) {
    const std::tuple<std::string, bool, std::string> cases[] = {
        {std::string("abc\0d", 5), false, "abc"},
        {"ab\x1F", false, "ab"},
        {"\xC0\xFF\x80 ", false, "\xC0\xFF\x80 "}, // only bytes below 0x20 end other strings
        {HexBytes("D0 90 D0 91 0A"), true, HexBytes("D0 90 D0 91")},
        {HexBytes("41 C3 41"), true, HexBytes("41 C3")},
        {HexBytes("41 80 42 81"), true, HexBytes("41 80 42")}, // 0x80 a character, 0x81 an end
        {HexBytes("FD BF FE"), true, HexBytes("FD BF")},
        {HexBytes("C3 C3"), true, HexBytes("C3")},
        {std::string(300, 'x'), true, std::string(300, 'x')},
    };
    for (const auto& [found, utf8, cut] : cases)
        EXPECT_EQ(CutFoundString(found, utf8), cut) << found;
}

// The result fields: Start Address, Stop Address, String size, Searched.
std::array<std::string, 4> result(const StringsSession& s) {
    return {s.search.StartAddr, s.search.StopAddr, s.search.StringSize, s.search.Searched};
}

TEST(FindString, ResultFieldsAndFindNextOnAllModels) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        testing::StringFirmwareSession t(model);
        StringsSession& s = t.s;
        s.search.SearchText = "abc";
        s.search.FromBegin = true;
        s.StringLinkAddr = 0x44;
        ASSERT_TRUE(t.find());
        EXPECT_EQ(result(s), (std::array{ToHexAddr(t.abc), ToHexAddr(t.abc + 2), std::string("3"),
                                         std::string("abc")}));
        EXPECT_EQ(s.StringLinkAddr, 0u);
        // E720 starts at its flash and clears "From begin" so that the next click goes on.
        EXPECT_EQ(s.search.FromBegin, model != PhoneModel::E720);
        s.search.FromBegin = false;
        ASSERT_TRUE(t.find());
        EXPECT_FALSE(t.find());
        EXPECT_EQ(t.img.dialogs.numbers(), std::vector<int>{msg::SearchCompleted});
        EXPECT_EQ(s.search.StartAddr, ToHexAddr(t.abc + 0x10)) << "fields keep the result";

        s.search.SearchText = "straddle";
        s.search.FromBegin = true;
        ASSERT_TRUE(t.find());
        EXPECT_EQ(s.search.StartAddr, ToHexAddr(t.straddle));
        EXPECT_EQ(s.search.StringSize, "8");
    }
}

TEST(FindString, Utf8PatternsAndRefusals) {
    testing::StringFirmwareSession t(PhoneModel::C200);
    StringsSession& s = t.s;
    s.search.Utf8 = true;
    s.search.FromBegin = true;
    s.search.SearchText = "\xC0\xC1"; // А Б, searched as D0 90 D0 91
    ASSERT_TRUE(t.find());
    const std::string stored = HexBytes("D0 90 D0 91");
    EXPECT_EQ(result(s), (std::array{ToHexAddr(t.utf8Letters), ToHexAddr(t.utf8Letters + 3),
                                     std::string("4"), stored}));
    s.ResultDecodingClicked(true);
    EXPECT_EQ(s.search.Searched, "\xC0\xC1");
    s.ResultDecodingClicked(false);
    EXPECT_EQ(s.search.Searched, stored);

    s.search.ResultUtf8 = true;
    s.search.SearchText = "A";
    ASSERT_TRUE(t.find());
    EXPECT_EQ(result(s), (std::array{ToHexAddr(t.utf8Cut), ToHexAddr(t.utf8Cut + 1),
                                     std::string("2"), std::string("A`")}));

    // 64 Russian letters are 128 UTF-8 bytes: nothing is searched.
    s.search.SearchText = std::string(64, '\xC0');
    EXPECT_FALSE(t.find());
    s.search.SearchText.clear();
    EXPECT_FALSE(t.find());
    EXPECT_EQ(t.img.dialogs.numbers(), (std::vector<int>{msg::SearchCompleted, msg::EnterLine}));
}

TEST(FindString, CodePageQuestionAndItsReentryGuard) {
    StringsSession s;
    testing::ScriptedDialogs dialogs;
    s.search.SearchText = s.search.Searched = "abc";
    int restored = 0;
    // Setting the box back clicks it again, as a widget would; that click must ask nothing.
    s.restoreCodePageBox = [&](bool checked) {
        ++restored;
        EXPECT_FALSE(checked);
        EXPECT_FALSE(s.CodePageClicked(checked, dialogs));
    };
    EXPECT_FALSE(s.CodePageClicked(true, dialogs));
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{msg::CodePageChange});
    EXPECT_FALSE(s.search.Utf8);
    EXPECT_EQ(s.search.SearchText, "abc");

    dialogs.answers = {true};
    EXPECT_TRUE(s.CodePageClicked(true, dialogs));
    EXPECT_TRUE(s.search.Utf8);
    EXPECT_EQ(s.search.SearchText + s.search.Searched, "");
    EXPECT_EQ(restored, 1);
}

} // namespace
} // namespace tovallo
