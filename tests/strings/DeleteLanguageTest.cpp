#include "StringsTestSupport.h"
#include "resources/FreeBlockHeader.h"
#include "resources/FreeSpaceSearch.h"
#include "strings/LanguageDeletion.h"
#include "strings/TextEncoding.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/SaveChanges.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::EntryPlan;
using testing::FlashImage;
using testing::SessionOn;
using testing::StringFirmwareSession;

using Link = std::array<uint32_t, 3>;

std::vector<Link> linksOf(const PendingChanges& changes) {
    std::vector<Link> out;
    for (const Links_& l : changes.LinkChanges)
        out.push_back({l.Addr, l.Value, l.Prefix});
    return out;
}

std::string le32(uint32_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

std::vector<Link> blockHeader(uint32_t start, uint32_t size) {
    return {{start + 4, size, FreeBlockMarker}, {start + 8, 12, 0}};
}

std::vector<Link> operator+(std::vector<Link> a, const std::vector<Link>& b) {
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
        EXPECT_EQ(linksOf(t.img.ws.changes),
                  (blockHeader(slots, 1999 * 4) + blockHeader(lo, hi - lo) +
                   std::vector<Link>{{l[3].entry, l[4].table, 0}}));
        ASSERT_EQ(t.s.freeRegions.regions().size(), 2u);
        const FreeRegion& a = t.s.freeRegions.regions()[0];
        const FreeRegion& b = t.s.freeRegions.regions()[1];
        EXPECT_EQ((std::array<int64_t, 4>{a.Start, a.Size, a.Used, a.Reserved}),
                  (std::array<int64_t, 4>{slots, 1999 * 4, 12, 0}));
        EXPECT_EQ((std::array<int64_t, 4>{b.Start, b.Size, b.Used, b.Reserved}),
                  (std::array<int64_t, 4>{lo, hi - lo, 12, 0}));
        EXPECT_EQ(
            t.items(LanguageList::Menus),
            (std::vector<std::string>{"Deleted", LanguageItemText(t.s.languages.entries[4])}));
        EXPECT_TRUE(t.s.tableRows.empty());
        EXPECT_EQ(t.img.dialogs.numbers().back(), msg::DeleteLanguage);
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
    EXPECT_EQ(linksOf(t.img.ws.changes).back(), (Link{l[1].entry, l[0].table, 0}));
    // Now the second item is deleted and the third shares the first's table: none is left.
    const size_t before = t.img.ws.changes.total();
    t.img.dialogs.shown.clear();
    EXPECT_FALSE(t.deleteLanguage(0));
    EXPECT_TRUE(t.img.dialogs.showedText());
    EXPECT_EQ(t.img.ws.changes.total(), before);
    EXPECT_EQ(t.s.freeRegions.regions().size(), 2u);
    EXPECT_EQ(t.items(LanguageList::Messages)[0], LanguageItemText(t.s.languages.entries[0]));
    EXPECT_FALSE(t.s.languages.entries[0].Deleted);

    ASSERT_TRUE(t.deleteLanguage(4));
    EXPECT_EQ(linksOf(t.img.ws.changes).back(), (Link{l[4].entry, l[3].table, 0}));
    EXPECT_FALSE(t.deleteLanguage(3)) << "the only other menu language is deleted";
}

TEST(DeleteLanguage, EveryEntryLeadingToTheFreedTableFollows) {
    // Sharing the table: the first and third message languages.
    StringFirmwareSession t(PhoneModel::E850);
    ASSERT_TRUE(t.findTable());
    ASSERT_TRUE(t.deleteLanguage(0));
    const auto& l = t.languages;
    const std::vector<Link> links = linksOf(t.img.ws.changes);
    ASSERT_EQ(links.size(), 6u);
    EXPECT_EQ(links[4], (Link{l[0].entry, l[1].table, 0}));
    EXPECT_EQ(links[5], (Link{l[2].entry, l[1].table, 0}));
    EXPECT_EQ(t.items(LanguageList::Messages),
              (std::vector<std::string>{"Deleted", LanguageItemText(t.s.languages.entries[1]),
                                        "Deleted"}));

    // Led there by an earlier deletion: B leads to A's table, then A goes.
    SessionOn three(languagesImage({0x20, 0x20, 0x20}));
    ASSERT_TRUE(three.findTable());
    ASSERT_TRUE(three.deleteLanguage(1));
    ASSERT_TRUE(three.deleteLanguage(0));
    const std::vector<Link> after = linksOf(three.img.ws.changes);
    ASSERT_EQ(after.size(), 11u);
    EXPECT_EQ(after[4], (Link{0x20C, 0x1000, 0}));
    EXPECT_EQ(after[9], (Link{0x200, 0x3000, 0}));
    EXPECT_EQ(after[10], (Link{0x20C, 0x3000, 0}));
    for (const LanguageEntry& e : three.s.languages.entries)
        EXPECT_EQ(e.TablePtr, 0x3000u);
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
        EXPECT_EQ(span->Lo, t.languages[0].lo());
        EXPECT_EQ(span->Hi, t.languages[0].hi());
    }
    EXPECT_FALSE(SpanOfStrings({{0, 4, ""}, {0x7FFFFFFF, 8, ""}}, 0, 0x1000));

    // Strings 11 bytes apart leave no room for a header before the kept string; 12 do.
    SessionOn t(languagesImage({11, 12, 0x40}));
    ASSERT_TRUE(t.findTable());
    ASSERT_TRUE(t.deleteLanguage(0));
    EXPECT_EQ(linksOf(t.img.ws.changes),
              (blockHeader(0x1004, 1010 * 4) + std::vector<Link>{{0x200, 0x2000, 0}}));
    EXPECT_EQ(t.s.freeRegions.regions().size(), 1u);
    t.img.ws.changes.clear();
    ASSERT_TRUE(t.deleteLanguage(1));
    EXPECT_EQ(linksOf(t.img.ws.changes),
              (blockHeader(0x2004, 1010 * 4) + blockHeader(0x6100, 12) +
               std::vector<Link>{{0x20C, 0x3000, 0}, {0x200, 0x3000, 0}}));
}

TEST(DeleteLanguage, ReplaceRowsInFreedMemoryAreDropped) {
    StringFirmwareSession t(PhoneModel::C200);
    ASSERT_TRUE(t.findTable());
    t.s.freeRegions.add({t.freeBlock, 0x200, 12, 0});
    const auto editRow = [&](size_t language, size_t row, const std::string& text, bool yes) {
        t.select(language);
        t.s.EditSelected(row);
        t.s.search.ReplaceText = text;
        t.img.dialogs.answers = {yes};
        ASSERT_TRUE(t.add());
    };
    editRow(0, 0, "A much longer text", true); // slot in the freed table, moved
    editRow(1, 0, "Longer than before", true); // another language, moved
    t.s.search.Utf8 = false;
    for (const std::string text : {"Menu", "Settings"}) { // the lowest and highest string
        t.s.search.SearchText = text;
        t.s.search.FromBegin = true;
        ASSERT_TRUE(t.find());
        t.s.search.ReplaceText = "x";
        ASSERT_TRUE(t.add());
    }
    ASSERT_EQ(t.s.replaceTable.rows().size(), 4u);
    EXPECT_EQ(t.s.freeRegions.regions()[0].Reserved, 19 + 19);

    ASSERT_TRUE(t.deleteLanguage(0));
    std::vector<std::string> kept;
    for (const StrTable& row : t.s.replaceTable.rows())
        kept.push_back(row.ReplaceText);
    EXPECT_EQ(kept, (std::vector<std::string>{"Longer than before\x01", "x"}));
    EXPECT_EQ(t.s.replaceTable.rows()[1].FoundAddr, t.languages[0].hi());
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
        const std::vector<std::string> texts = {"\xC4\xEB\xE8\xED\xED\xE0\xFF",
                                                "\xC7\xE4\xF0\xE0\xE2\xF1\xF2\xE2\xF3\xE9"};
        for (size_t row = 0; row < 2; ++row) {
            t.s.EditSelected(row);
            t.s.search.ReplaceText = texts[row];
            t.img.dialogs.answers = {true};
            ASSERT_TRUE(t.add());
        }
        t.s.ModifyFile(t.img.ws, t.img.dialogs, {true, true});
        ASSERT_TRUE(SaveAllChanges(t.img.ws, t.img.dialogs));

        const std::string first = WinToUtf8(texts[0]) + '\0';
        const std::string second = WinToUtf8(texts[1]) + '\0';
        const uint32_t used = 12 + static_cast<uint32_t>(first.size() + second.size());
        EXPECT_EQ(t.img.read(slots, 12), "zQKV" + le32(1010 * 4) + le32(used));
        EXPECT_EQ(t.img.read(slots + 12, first.size() + second.size()), first + second);
        EXPECT_EQ(ReadFreeBlock(t.img.ws, lo)->Size, int32_t(hi - lo));
        EXPECT_EQ(t.img.read(hi, l[0].texts.back().size()), l[0].texts.back());
        t.img.ws.changes.clear();

        // Opened again: the blocks come back from their headers.
        ASSERT_TRUE(t.img.ws.OpenFirmware(t.img.path, t.img.dialogs));
        t.s.FirmwareOpened();
        t.img.dialogs.answers = {true};
        ASSERT_TRUE(FindFreeSpace(t.img.ws, t.img.dialogs, t.img.bar, t.s.freeRegions));
        ASSERT_EQ(t.s.freeRegions.regions().size(), 3u);
        const FreeRegion& a = t.s.freeRegions.regions()[0];
        const FreeRegion& b = t.s.freeRegions.regions()[1];
        EXPECT_EQ((std::array<int64_t, 3>{a.Start, a.Size, a.Used}),
                  (std::array<int64_t, 3>{slots, 1010 * 4, used}));
        EXPECT_EQ((std::array<int64_t, 3>{b.Start, b.Size, b.Used}),
                  (std::array<int64_t, 3>{lo, hi - lo, 12}));

        ASSERT_TRUE(t.findTable());
        EXPECT_EQ(t.items(LanguageList::Messages)[0], ToHexAddr(l[1].table) + " 1011")
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
