#include "StringsTestSupport.h"
#include "resources/FreeBlockHeader.h"
#include "resources/FreeSpaceSearch.h"
#include "strings/LanguageDeletion.h"
#include "strings/TextEncoding.h"
#include "workspace/MessageNumbers.h"
#include "workspace/SaveChanges.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::Blocks;
using testing::BlocksOf;
using testing::EntryPlan;
using testing::FlashImage;
using testing::Links;
using testing::SessionOn;
using testing::StringFirmwareSession;

// The two link changes that write a free block header: Size with the marker, then Used 12.
Links blockHeader(uint32_t start, uint32_t size) {
    return {{start + 4, size, FreeBlockMarker}, {start + 8, 12, 0}};
}

Links operator+(Links a, const Links& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Message languages with tables at 0x1000, 0x2000, ...; language i's strings are `spans[i]`
// bytes apart, from 0x6000 + 0x100 * i.
FlashImage languagesImage(const std::vector<uint32_t>& spans) {
    FlashImage image(PhoneModel::C200, 0x7000);
    image.place(0x100, PhoneProfile::ForModel(PhoneModel::C200).StringTableSig);
    std::vector<EntryPlan> plans;
    for (uint32_t i = 0; i < spans.size(); ++i) {
        const uint32_t strings = 0x6000 + 0x100 * i;
        image.place(strings, std::string("lo\0", 3)).place(strings + spans[i], "hi");
        plans.push_back({0x1000 * (i + 1), 1011});
        testing::PlaceStringTable(image, plans.back().table, 1011, {strings, strings + spans[i]});
    }
    testing::PlaceLanguageEntries(image, 0x200, plans);
    return image;
}

TEST(DeleteLanguage, QueuesBothFreeBlocksAndLeadsTheEntryToTheSecondItem) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        StringFirmwareSession t(model);
        ASSERT_TRUE(t.findTable());
        t.img.dialogs.shown.clear();
        EXPECT_FALSE(t.s.DeleteLanguage(t.img.ws, t.img.dialogs)) << "no language read";
        EXPECT_TRUE(t.img.dialogs.shown.empty());
        t.select(3);
        EXPECT_FALSE(t.s.DeleteLanguage(t.img.ws, t.img.dialogs)) << "answered No";
        EXPECT_EQ(t.img.ws.changes.total(), 0u);

        ASSERT_TRUE(t.deleteLanguage(3));
        const auto& l = t.languages;
        const uint32_t slots = l[3].table + 4, lo = l[3].lo(), hi = l[3].hi();
        EXPECT_EQ(testing::LinksOf(t.img.ws.changes),
                  (blockHeader(slots, 1999 * 4) + blockHeader(lo, hi - lo) +
                   Links{{l[3].entry, l[4].table, 0}}));
        EXPECT_EQ(BlocksOf(t.s.freeRegions),
                  (Blocks{{slots, 1999 * 4, 12, 0}, {lo, hi - lo, 12, 0}}));
        EXPECT_EQ(
            t.items(LanguageList::Menus),
            (std::vector<std::string>{"Deleted", LanguageItemText(t.s.languages.entries[4])}));
        EXPECT_EQ(t.img.dialogs.numbers().back(), msg::DeleteLanguage);
        EXPECT_TRUE(t.s.tableRows.empty());
        EXPECT_TRUE(t.select(3)) << "a deleted language reads nothing";
        EXPECT_TRUE(t.s.tableRows.empty());
    }
}

TEST(DeleteLanguage, LeadsToTheFirstLiveItemWithAnotherTableOrRefuses) {
    StringFirmwareSession t(PhoneModel::C200);
    ASSERT_TRUE(t.findTable());
    const auto& l = t.languages;
    // The second item itself goes: its entry leads to the first item's table.
    ASSERT_TRUE(t.deleteLanguage(1));
    EXPECT_EQ(testing::LinksOf(t.img.ws.changes).back(),
              (std::array<uint32_t, 3>{l[1].entry, l[0].table, 0}));
    // Now the second item is deleted and the third shares the first's table: none is left.
    const size_t before = t.img.ws.changes.total();
    t.img.dialogs.shown.clear();
    EXPECT_FALSE(t.deleteLanguage(0));
    EXPECT_TRUE(t.img.dialogs.showedText());
    EXPECT_EQ(t.img.ws.changes.total(), before);
    EXPECT_EQ(t.s.freeRegions.regions().size(), 2u);
    EXPECT_FALSE(t.s.languages.entries[0].Deleted);

    ASSERT_TRUE(t.deleteLanguage(4));
    EXPECT_EQ(testing::LinksOf(t.img.ws.changes).back(),
              (std::array<uint32_t, 3>{l[4].entry, l[3].table, 0}));
    EXPECT_FALSE(t.deleteLanguage(3)) << "the only other menu language is deleted";
}

TEST(DeleteLanguage, EveryEntryLeadingToTheFreedTableFollows) {
    // Sharing the table: the first and third message languages.
    StringFirmwareSession t(PhoneModel::E850);
    ASSERT_TRUE(t.findTable());
    ASSERT_TRUE(t.deleteLanguage(0));
    const auto& l = t.languages;
    const Links links = testing::LinksOf(t.img.ws.changes);
    EXPECT_EQ(Links(links.begin() + 4, links.end()),
              (Links{{l[0].entry, l[1].table, 0}, {l[2].entry, l[1].table, 0}}));
    EXPECT_EQ(t.items(LanguageList::Messages),
              (std::vector<std::string>{"Deleted", LanguageItemText(t.s.languages.entries[1]),
                                        "Deleted"}));

    // Led there by an earlier deletion: B leads to A's table, then A goes.
    SessionOn three(languagesImage({0x20, 0x20, 0x20}));
    ASSERT_TRUE(three.findTable());
    ASSERT_TRUE(three.deleteLanguage(1));
    ASSERT_TRUE(three.deleteLanguage(0));
    const Links after = testing::LinksOf(three.img.ws.changes);
    ASSERT_EQ(after.size(), 11u);
    EXPECT_EQ(after[4], (std::array<uint32_t, 3>{0x20C, 0x1000, 0}));
    EXPECT_EQ(Links(after.begin() + 9, after.end()),
              (Links{{0x200, 0x3000, 0}, {0x20C, 0x3000, 0}}));
    EXPECT_EQ(three.items(LanguageList::Messages),
              (std::vector<std::string>{"Deleted", "Deleted", "0x00003000 1011"}));
}

TEST(DeleteLanguage, StringBlockOnlyOverFlashOffsetsAndWithRoomForItsHeader) {
    // Slots holding 0, an offset past the end and (E720) one in front of the flash are not
    // strings of the block.
    for (PhoneModel model : {PhoneModel::C200, PhoneModel::E720}) {
        StringFirmwareSession t(model);
        ASSERT_TRUE(t.findTable());
        t.select(0);
        const auto span =
            SpanOfStrings(t.s.tableRows, t.img.ws.profile.FlashStart(), t.img.ws.FwSize());
        ASSERT_TRUE(span);
        EXPECT_EQ(std::make_pair(span->Lo, span->Hi),
                  std::make_pair(t.languages[0].lo(), t.languages[0].hi()));
    }
    EXPECT_FALSE(SpanOfStrings({{0, 4, ""}, {0x7FFFFFFF, 8, ""}}, 0, 0x1000));

    // Strings 11 bytes apart leave no room for a header before the kept string; 12 do.
    SessionOn t(languagesImage({11, 12, 0x40}));
    ASSERT_TRUE(t.findTable());
    ASSERT_TRUE(t.deleteLanguage(0));
    EXPECT_EQ(testing::LinksOf(t.img.ws.changes),
              (blockHeader(0x1004, 1010 * 4) + Links{{0x200, 0x2000, 0}}));
    EXPECT_EQ(t.s.freeRegions.regions().size(), 1u);
    t.img.ws.changes.clear();
    ASSERT_TRUE(t.deleteLanguage(1));
    EXPECT_EQ(testing::LinksOf(t.img.ws.changes),
              (blockHeader(0x2004, 1010 * 4) + blockHeader(0x6100, 12) +
               Links{{0x20C, 0x3000, 0}, {0x200, 0x3000, 0}}));
}

TEST(DeleteLanguage, ReplaceRowsInFreedMemoryAreDropped) {
    StringFirmwareSession t(PhoneModel::C200);
    ASSERT_TRUE(t.findTable());
    t.s.freeRegions.add({t.freeBlock, 0x200, 12, 0});
    // A slot in the table to be freed and one of another language, both moved to free memory.
    for (size_t language : {0, 1}) {
        t.select(language);
        t.s.EditSelected(0);
        t.s.search.ReplaceText = language ? "Longer than before" : "A much longer text";
        t.img.dialogs.answers = {true};
        ASSERT_TRUE(t.add());
    }
    t.s.search.Utf8 = false;
    for (const std::string text : {"Menu", "Settings"}) { // the lowest and highest string
        t.s.search.SearchText = text;
        t.s.search.FromBegin = true;
        ASSERT_TRUE(t.find());
        t.s.search.ReplaceText = "x";
        ASSERT_TRUE(t.add());
    }
    EXPECT_EQ(t.s.freeRegions.regions()[0].Reserved, 19 + 19);

    ASSERT_TRUE(t.deleteLanguage(0));
    const auto& rows = t.s.replaceTable.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ReplaceText, "Longer than before\x01");
    EXPECT_EQ(std::make_pair(rows[1].ReplaceText, rows[1].FoundAddr),
              std::make_pair(std::string("x"), t.languages[0].hi()));
    EXPECT_EQ(t.s.freeRegions.regions()[0].Reserved, 19) << "the dropped row's bytes are free";
}

// Delete a language, place longer strings into its space, save, open again: the blocks are
// found with the used counts the placements wrote, and the next placement lands after them.
TEST(StringsEndToEnd, DeleteMoveSaveAndScanAgain) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        StringFirmwareSession t(model);
        ASSERT_TRUE(t.findTable());
        ASSERT_TRUE(t.deleteLanguage(0));
        const auto& l = t.languages;
        const uint32_t slots = l[0].table + 4, lo = l[0].lo(), hi = l[0].hi();

        t.select(1);
        t.s.TableUtf8 = true;
        const std::string texts[] = {"\xC4\xEB\xE8\xED\xED\xE0\xFF",
                                     "\xC7\xE4\xF0\xE0\xE2\xF1\xF2\xE2\xF3\xE9"};
        for (size_t row = 0; row < 2; ++row) {
            t.s.EditSelected(row);
            t.s.search.ReplaceText = texts[row];
            t.img.dialogs.answers = {true};
            ASSERT_TRUE(t.add());
        }
        t.s.ModifyFile(t.img.ws, t.img.dialogs, {true, true});
        ASSERT_TRUE(SaveAllChanges(t.img.ws, t.img.dialogs));

        const std::string placed = WinToUtf8(texts[0]) + '\0' + WinToUtf8(texts[1]) + '\0';
        const uint32_t used = 12 + static_cast<uint32_t>(placed.size());
        const uint32_t size = 1010 * 4;
        EXPECT_EQ(t.img.read(slots, 12 + placed.size()),
                  "zQKV" + testing::Le32(size) + testing::Le32(used) + placed);
        EXPECT_EQ(ReadFreeBlock(t.img.ws, lo)->Size, int32_t(hi - lo));
        EXPECT_EQ(t.img.read(hi, l[0].texts.back().size()), l[0].texts.back());
        t.img.ws.changes.clear();

        // Opened again: the blocks come back from their headers.
        ASSERT_TRUE(t.img.ws.OpenFirmware(t.img.path, t.img.dialogs));
        t.s.FirmwareOpened();
        t.img.dialogs.answers = {true};
        ASSERT_TRUE(FindFreeSpace(t.img.ws, t.img.dialogs, t.img.bar, t.s.freeRegions));
        EXPECT_EQ(
            BlocksOf(t.s.freeRegions),
            (Blocks{{slots, size, used, 0}, {lo, hi - lo, 12, 0}, {t.freeBlock, 0x200, 12, 0}}));

        ASSERT_TRUE(t.findTable());
        EXPECT_EQ(t.items(LanguageList::Messages)[0], testing::Item(l[1].table, 1011))
            << "the entry now leads to another table";
        t.select(1);
        EXPECT_EQ(t.s.tableRows[0].Offset, slots + 12);
        EXPECT_EQ(t.s.tableRows[0].Bytes, WinToUtf8(texts[0]));
        t.s.EditSelected(2);
        t.s.search.ReplaceText = "\xD2\xF0\xE5\xF2\xFC\xFF \xF1\xF2\xF0\xEE\xEA\xE0";
        t.img.dialogs.answers = {true};
        ASSERT_TRUE(t.add());
        t.s.ModifyFile(t.img.ws, t.img.dialogs, {true});
        ASSERT_FALSE(t.img.ws.changes.StringChanges.empty());
        EXPECT_EQ(t.img.ws.changes.StringChanges[0].Addr, slots + used);
    }
}

} // namespace
} // namespace tovallo
