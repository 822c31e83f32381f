#include "strings/StrReplaceTable.h"
#include "StringsTestSupport.h"
#include "workspace/MessageNumbers.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::Links;
using testing::LinksOf;
using testing::Texts;
using testing::TextsOf;

// The fields after finding `found` (its size in bytes) at `at`, to be replaced by `replace`.
StringSearchFields fieldsFor(uint32_t at, const std::string& found, const std::string& replace,
                             bool endCode = false, bool utf8 = false) {
    StringSearchFields f;
    f.SearchText = f.Searched = found;
    f.StringSize = std::to_string(found.size());
    f.StartAddr = ToHexAddr(at);
    f.ReplaceText = replace;
    f.EndOfString = endCode;
    f.Utf8 = utf8;
    return f;
}

struct StrReplaceTableTest : ::testing::Test {
    StrReplaceTable table;
    FreeRegions regions;
    testing::ScriptedDialogs dialogs;
    PendingChanges changes;

    bool add(const StringSearchFields& f, uint32_t link = 0) {
        return table.Add(f, link, regions, dialogs);
    }
    void modify(const std::vector<bool>& selected) {
        table.ModifyFile(selected, regions, changes, dialogs);
    }
};

TEST_F(StrReplaceTableTest, RowsCellsAndModifyFileInPlace) {
    ASSERT_TRUE(add(fieldsFor(0x100, "abc", "Hello", true)));
    EXPECT_EQ(
        StrReplaceCells(table.rows()[0]),
        (std::array<std::string, 7>{"", "abc", "0x00000100", "0x00000105", "Hello\x01", "6", "0"}));
    // UTF-8 rows are stored encoded and shown as typed.
    ASSERT_TRUE(add(fieldsFor(0x200, "xy", "\xCF\xF0", false, true)));
    EXPECT_EQ(table.rows()[1].Bytes, "\xD0\x9F\xD1\x80");
    EXPECT_EQ(
        StrReplaceCells(table.rows()[1]),
        (std::array<std::string, 7>{"", "xy", "0x00000200", "0x00000203", "\xCF\xF0", "4", "1"}));
    ASSERT_TRUE(add(fieldsFor(0x300, "q", "z")));

    modify({});
    EXPECT_EQ(changes.total(), 0u) << "nothing selected";
    modify({true, false, true});
    EXPECT_EQ(TextsOf(changes), (Texts{{0x100, std::string("Hello\0", 6)}, {0x300, "z"}}));
    EXPECT_TRUE(changes.LinkChanges.empty());
    ASSERT_EQ(table.rows().size(), 1u) << "the unselected row stays";
    EXPECT_EQ(table.rows()[0].Addr, 0x200u);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(StrReplaceTableTest, RefusalsAndTheDuplicateTestOnTheFoundAddress) {
    StringSearchFields noResult = fieldsFor(0x100, "abc", "x");
    noResult.Searched.clear();
    for (const StringSearchFields& f :
         {fieldsFor(0x100, "", "x"), fieldsFor(0x100, "abc", ""), noResult})
        EXPECT_FALSE(add(f));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>(3, msg::NotEnoughInformation));
    dialogs.shown.clear();
    EXPECT_FALSE(add(fieldsFor(0x100, "abc", std::string(65, 'x'))));
    EXPECT_TRUE(dialogs.showedText());

    // A row moved to free memory shows the region's address, yet still holds its string.
    regions.add({0x8000, 0x100, 12, 0});
    dialogs.shown.clear();
    dialogs.answers = {true};
    ASSERT_TRUE(add(fieldsFor(0x100, "abc", "longer"), 0x50));
    ASSERT_TRUE(table.rows()[0].InFreeMem);
    EXPECT_EQ(StrReplaceCells(table.rows()[0])[2], "0x00008000");
    EXPECT_FALSE(add(fieldsFor(0x100, "abc", "x")));
    EXPECT_TRUE(add(fieldsFor(0x8000, "zQKV", "x"))) << "the region's address is no string";
    EXPECT_EQ(dialogs.numbers(),
              (std::vector<int>{msg::StringLongerThanOriginal, msg::AlreadyInTable}));
}

TEST_F(StrReplaceTableTest, LongerTableStringsMayGoToFreeMemoryWithTheirEndCode) {
    regions.add({0x8000, 40, 12, 0});
    // No slot known, or not longer: no question. No keeps the row in place.
    ASSERT_TRUE(add(fieldsFor(0x100, "ab", "abcdef")));
    ASSERT_TRUE(add(fieldsFor(0x200, "abc", "abc", true), 0x50));
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_TRUE(add(fieldsFor(0x300, "abc", "abcd"), 0x54));
    EXPECT_FALSE(table.rows()[2].InFreeMem);
    EXPECT_EQ(table.rows()[2].Addr, 0x300u);

    // Yes: the end code is added and counted, the whole size reserved.
    dialogs.answers = {true, true, true};
    ASSERT_TRUE(add(fieldsFor(0x400, "abc", "abcd"), 0x58));
    const StrTable& moved = table.rows()[3];
    EXPECT_TRUE(moved.InFreeMem);
    EXPECT_EQ(moved.Addr, 0x8000u);
    EXPECT_EQ(StrReplaceCells(moved)[4] + StrReplaceCells(moved)[5], "abcd\x01"
                                                                     "5");
    EXPECT_EQ(regions.find(0x8000)->Reserved, 5);
    // A chosen end code is not doubled.
    ASSERT_TRUE(add(fieldsFor(0x500, "abc", "wxyz", true), 0x5C));
    EXPECT_EQ(table.rows()[4].Bytes, "wxyz\x01");
    EXPECT_EQ(regions.find(0x8000)->Reserved, 10);
    // No room left: message 49 and the row stays as typed, in place.
    ASSERT_TRUE(add(fieldsFor(0x600, "a", std::string(20, 'r')), 0x60));
    EXPECT_FALSE(table.rows()[5].InFreeMem);
    EXPECT_EQ(table.rows()[5].Size, 20);
    std::vector<int> asked(4, msg::StringLongerThanOriginal);
    asked.push_back(msg::NotEnoughFreeMemory);
    EXPECT_EQ(dialogs.numbers(), asked);

    // Deleting rows releases their reservations.
    table.DeleteSelected({false, false, false, true}, regions);
    EXPECT_EQ(regions.find(0x8000)->Reserved, 5);
    EXPECT_EQ(table.rows().size(), 5u);
    table.DeleteAll(regions);
    EXPECT_EQ(regions.find(0x8000)->Reserved, 0);
    EXPECT_TRUE(table.empty());
}

TEST_F(StrReplaceTableTest, ModifyFileRepointsAndRecordsTheUsedCount) {
    regions.add({0x8000, 0x100, 12, 0});
    dialogs.answers = {true, true, true};
    ASSERT_TRUE(add(fieldsFor(0x100, "ab", "first"), 0x50));
    ASSERT_TRUE(add(fieldsFor(0x200, "ab", "second", true), 0x54));
    ASSERT_TRUE(add(fieldsFor(0x300, "ab", "third"), 0x58));
    modify({true, true, false});
    EXPECT_EQ(TextsOf(changes),
              (Texts{{0x800C, std::string("first\0", 6)}, {0x8012, std::string("second\0", 7)}}));
    // Each slot is re-pointed, then the block's header takes the new used count.
    EXPECT_EQ(LinksOf(changes),
              (Links{{0x50, 0x800C, 0}, {0x8008, 18, 0}, {0x54, 0x8012, 0}, {0x8008, 25, 0}}));

    // A reservation lost to a new free space scan: message 51 and the row goes.
    regions.clear();
    regions.add({0x8000, 0x100, 25, 0});
    modify({true});
    EXPECT_EQ(dialogs.numbers().back(), msg::NotEnoughAllocatedMemory);
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(changes.total(), 6u);
}

} // namespace
} // namespace tovallo
