#include "StringsTestSupport.h"
#include "fixtures/LiteralScans.h"
#include "resources/FreeBlockHeader.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace tovallo {
namespace {

using testing::Blocks;
using testing::BlocksOf;
using testing::EntryPlan;
using testing::FlashImage;
using testing::Item;
using testing::OpenedImage;
using testing::SessionOn;
using testing::StringFirmwareSession;

TEST(FindTable, ListsBothLanguageListsOnAllModels) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        StringFirmwareSession t(model);
        t.img.ws.SearchPos = 0x77;
        ASSERT_TRUE(t.findTable());
        EXPECT_EQ(t.img.dialogs.numbers(), std::vector<int>{msg::SearchCompleted});
        EXPECT_EQ(t.img.dialogs.shown[0].kind, 'i');
        const auto& l = t.languages;
        EXPECT_EQ(t.items(LanguageList::Messages),
                  (std::vector<std::string>{Item(l[0].table, 1011), Item(l[1].table, 1013),
                                            Item(l[0].table, 1011)}));
        EXPECT_EQ(t.items(LanguageList::Menus),
                  (std::vector<std::string>{Item(l[3].table, 2000), Item(l[4].table, 2002)}));
        EXPECT_EQ(t.s.languages.indexOf(LanguageList::Menus, 1), 4u);
        EXPECT_EQ(t.img.ws.SearchPos, 0x77u) << "the text search keeps its resume point";
    }
}

TEST(FindTable, MissingSignatureAndTheModelChange) {
    FlashImage image(PhoneModel::E710, 0x1000);
    image.place(0x100, PhoneProfile::ForModel(PhoneModel::C200).StringTableSig);
    SessionOn t(image);
    // A row waiting in free memory goes with the replace table, and so does its reservation.
    t.s.freeRegions.add({0x800, 0x40, 12, 0});
    t.s.search = {"ab", "longer", false, false, false, false, "ab", "2", "0x00000010", ""};
    t.img.dialogs.answers = {true};
    t.s.StringLinkAddr = 0x40;
    ASSERT_TRUE(t.add());
    ASSERT_EQ(t.s.freeRegions.regions()[0].Reserved, 7);
    EXPECT_FALSE(t.findTable());
    EXPECT_EQ(t.img.dialogs.numbers(),
              (std::vector<int>{msg::StringLongerThanOriginal, msg::ImageTableNotFound}));
    EXPECT_EQ(t.s.StringLinkAddr, 0u);
    EXPECT_TRUE(t.s.replaceTable.empty());
    EXPECT_EQ(t.s.freeRegions.regions()[0].Reserved, 0);

    StringFirmwareSession fw(PhoneModel::P730);
    ASSERT_TRUE(fw.findTable());
    fw.select(0);
    fw.s.EditSelected(0);
    fw.s.ModelChanged();
    EXPECT_TRUE(fw.s.languages.empty());
    EXPECT_TRUE(fw.s.tableRows.empty());
    EXPECT_EQ(fw.s.StringLinkAddr, 0u);
    EXPECT_FALSE(fw.s.selectedLanguage());
}

// Entries after a signature at 0x100: each plan's count, its table at 0x1000 + 0x100 * i.
FlashImage entryImage(const std::vector<uint16_t>& counts, uint8_t filler = 0xFF) {
    FlashImage image(PhoneModel::C200, 0x2000, filler);
    image.place(0x100, PhoneProfile::ForModel(PhoneModel::C200).StringTableSig);
    std::vector<EntryPlan> plans;
    for (size_t i = 0; i < counts.size(); ++i)
        plans.push_back({static_cast<uint32_t>(0x1000 + 0x100 * i), counts[i]});
    testing::PlaceLanguageEntries(image, 0x200, plans);
    return image;
}

TEST(ScanLanguageEntries, CountRangeAndTheListSplit) {
    // Before the first entry, runs after counts outside 0x300-0x940 are skipped.
    FlashImage image = entryImage({0x300, 0x308, 0x311, 0x300, 0x940});
    image.place(0x180, testing::HexBytes("FF 02 00 00 00 00 00 00"));
    image.place(0x1A0, testing::HexBytes("41 09 00 00 00 00 00 00"));
    SessionOn t(image);
    ASSERT_TRUE(t.findTable());
    EXPECT_EQ(t.items(LanguageList::Messages),
              (std::vector<std::string>{Item(0x1000, 0x300), Item(0x1100, 0x308)}))
        << "a jump of exactly 8 stays in the list";
    EXPECT_EQ(
        t.items(LanguageList::Menus),
        (std::vector<std::string>{Item(0x1200, 0x311), Item(0x1300, 0x300), Item(0x1400, 0x940)}))
        << "a jump of 9 moves to the menus for good";

    // After the first entry, the first run without a count ends the list.
    FlashImage gap = entryImage({1011});
    gap.place(0x20C, testing::HexBytes("FF FF FF FF 2F 02 00 00 00 00 00 00"));
    gap.place(0x218, testing::HexBytes("00 10 00 00 F5 03 00 00 00 00 00 00"));
    SessionOn g(gap);
    ASSERT_TRUE(g.findTable());
    EXPECT_EQ(g.s.languages.entries.size(), 1u);

    // On zero filler the entries end where the zeros after the last count go on.
    SessionOn z(entryImage({1011, 1011, 1011}, 0x00));
    ASSERT_TRUE(z.findTable());
    EXPECT_EQ(z.s.languages.entries.size(), 3u);
}

TEST(ScanLanguageEntries, DetectDeletedListsFreedTablesWithTheirBlocks) {
    FlashImage image = entryImage({1011, 1013, 1015, 1017, 1019});
    // The first table was freed: its first word D leads to the header of its strings at D.
    image.placeU32(0x1000, 0x1800).placeFreeHeader(0x1004, 0x40, 0x20);
    image.placeFreeHeader(0x1800, 0x100, 12);
    // The second's D lies 4 bytes before its header, as where Delete Language writes it.
    image.placeU32(0x1100, 0x18FC).placeFreeHeader(0x1104, 0x40, 12);
    image.placeFreeHeader(0x1900, 0x80, 12);
    // The third carries the marker, but its first word leads to no header.
    image.placeU32(0x1200, 0x1A00).placeFreeHeader(0x1204, 0x40, 12);
    // The fourth entry leads to the first table again; the fifth past the end of the file.
    image.placeU32(0x200 + 3 * 12, 0x1000).placeU32(0x200 + 4 * 12, 0x5000);
    SessionOn t(image);
    t.img.ws.SearchPos = 0x103;
    ScanLanguageEntries(t.img.ws, t.img.bar, true, t.s.languages, t.s.freeRegions);
    EXPECT_EQ(
        t.items(LanguageList::Messages),
        (std::vector<std::string>{"Deleted", "Deleted", "Deleted", "Deleted", Item(0x5000, 1019)}));
    EXPECT_EQ(BlocksOf(t.s.freeRegions), (Blocks{{0x1004, 0x40, 0x20, 0},
                                                 {0x1800, 0x100, 12, 0},
                                                 {0x1104, 0x40, 12, 0},
                                                 {0x1900, 0x80, 12, 0},
                                                 {0x1204, 0x40, 12, 0}}))
        << "each block once, the string block from its marker";
    // A string placed in the block read back lands after its header.
    ASSERT_EQ(t.s.freeRegions.ReserveFree(0xF0), 0x1800u);
    ASSERT_EQ(t.s.freeRegions.ReserveFree(0x70), 0x1900u);
    EXPECT_EQ(t.s.freeRegions.TakeReserved(0x1900, 0x70), 0x1900u + 12);
    // The zeros after the last count go on: the next match, five bytes on, ends the scan.
    EXPECT_EQ(t.img.ws.SearchPos, 0x200u + 4 * 12 + 6 + 5 + 5);

    // Find Table looks only when asked to.
    ASSERT_TRUE(t.findTable());
    EXPECT_EQ(t.items(LanguageList::Messages)[0], Item(0x1000, 1011));
    t.s.freeRegions.clear();
    ASSERT_TRUE(t.s.FindTable(t.img.ws, t.img.dialogs, t.img.bar, true));
    EXPECT_EQ(t.items(LanguageList::Messages)[1], "Deleted");
    EXPECT_EQ(t.s.freeRegions.regions().size(), 5u);
}

TEST(ReadTable, StringsOfTheSelectedLanguage) {
    for (PhoneModel model : {PhoneModel::C200, PhoneModel::E720}) {
        SCOPED_TRACE(ModelCliName(model));
        StringFirmwareSession t(model);
        ASSERT_TRUE(t.findTable());
        const auto& lang = t.languages[0];
        ASSERT_TRUE(t.select(0));
        ASSERT_EQ(t.s.tableRows.size(), 1010u); // every row's slot and offset: the CLI test
        // Slot 4 holds 0 (on C200 the sound header at offset 0), slot 5 an offset past the end,
        // and the string of slot 3 is cut at 255 bytes.
        EXPECT_EQ(t.s.tableRows[3].Bytes, model == PhoneModel::C200 ? "zQKV@" : "");
        EXPECT_EQ(t.s.tableRows[4].Bytes, "");
        EXPECT_EQ(t.s.tableRows[2].Bytes.size(), 255u);
        EXPECT_EQ(t.s.tableRows[2].Bytes, lang.texts[3]);
        EXPECT_EQ(StringTableCells(t.s.tableRows[0]),
                  (std::array<std::string, 2>{ToHexAddr(lang.strings[1]), lang.texts[1]}));
        EXPECT_EQ(t.img.dialogs.shown.size(), 1u) << "only message 8 of Find Table";

        // UTF-8 strings are shown decoded while "Decode UTF-8" is checked.
        ASSERT_TRUE(t.select(1));
        EXPECT_EQ(t.s.StringOfRow(0), "\xC4\xE0");
        t.s.TableUtf8 = false;
        EXPECT_EQ(t.s.StringOfRow(0), t.languages[1].texts[1]);
    }
}

TEST(ReadTable, TableRunningPastTheEndStopsWithAMessage) {
    FlashImage image = entryImage({1011});
    image.place(0x200, testing::HexBytes("00 1E 00 00")); // table at 0x1E00: 128 whole slots
    for (uint32_t at = 0x1E00; at < 0x2000; at += 4)
        image.placeU32(at, 0x1000);
    SessionOn t(image);
    ASSERT_TRUE(t.findTable());
    t.img.dialogs.shown.clear();
    EXPECT_FALSE(t.select(0));
    EXPECT_EQ(t.s.tableRows.size(), 127u);
    EXPECT_TRUE(t.img.dialogs.showedText());

    // Deleting it is refused with nothing recorded.
    EXPECT_FALSE(t.deleteLanguage(0));
    EXPECT_EQ(t.img.ws.changes.total(), 0u);
    EXPECT_TRUE(t.s.freeRegions.empty());
    EXPECT_EQ(t.items(LanguageList::Messages)[0], Item(0x1E00, 1011));
}

TEST(EditSelected, HandsTheStringAndItsSlotToTheSearchFields) {
    StringFirmwareSession t(PhoneModel::X120);
    ASSERT_TRUE(t.findTable());
    ASSERT_TRUE(t.select(1));
    t.s.search.Utf8 = false;
    ASSERT_TRUE(t.s.EditSelected(1));
    const auto& lang = t.languages[1];
    const StringSearchFields& f = t.s.search;
    EXPECT_TRUE(f.Utf8 && f.ResultUtf8);
    EXPECT_EQ(t.img.dialogs.shown.size(), 1u) << "no code page question";
    EXPECT_EQ(t.s.StringLinkAddr, lang.table + 8);
    EXPECT_EQ(
        (std::array{f.SearchText, f.Searched, f.StringSize, f.StartAddr, f.StopAddr}),
        (std::array<std::string, 5>{"\xCF\xF0\xE8\xE2\xE5\xF2", "\xCF\xF0\xE8\xE2\xE5\xF2", "12",
                                    ToHexAddr(lang.strings[2]), ToHexAddr(lang.strings[2] + 11)}));
    EXPECT_FALSE(t.s.EditSelected(1012));
}

void expectSameAsStepByStep(OpenedImage& img, uint32_t from) {
    img.ws.SearchPos = from;
    LanguageEntries fast;
    FreeRegions regions;
    ScanLanguageEntries(img.ws, img.bar, false, fast, regions);
    const uint32_t fastPos = img.ws.SearchPos;
    img.ws.SearchPos = from;
    const LanguageEntries literal = testing::LiteralScanLanguageEntries(img.ws);
    const auto fields = [](const LanguageEntries& l) {
        std::vector<std::array<int64_t, 4>> out;
        for (const LanguageEntry& e : l.entries)
            out.push_back({e.Offset, e.TablePtr, e.Count, int(e.List)});
        return out;
    };
    ASSERT_EQ(fields(fast), fields(literal)) << "from " << from;
    EXPECT_EQ(fastPos, img.ws.SearchPos) << "from " << from;
}

// Entries with counts in and out of range, a jump to the menus, zero runs that hold no entry, all
// across and around the 1 MiB chunks of the fast scan.
TEST(ScanLanguageEntries, SameEntriesAsTheStepByStepSearch) {
    const uint32_t chunk = 1u << 20;
    FlashImage big(PhoneModel::C200, chunk + 0x2000);
    big.place(0x100, std::string(20, '\0'));
    testing::PlaceLanguageEntries(big, 0x200, {{0x4000, 0x2F0}, {0x4100, 1011}, {0x4200, 0x950}});
    testing::PlaceLanguageEntries(
        big, chunk - 0x40,
        {{0x4000, 1011}, {0x4100, 1013}, {0x4200, 1030}, {0x4300, 1031}, {0x4400, 1011}});
    big.place(chunk - 8, std::string(20, '\0'));
    big.place(chunk + 0x800, testing::HexBytes("00 40 00 00 F3 03 00 00 00 00 00 00 00 00"));
    OpenedImage img(big);
    for (uint32_t from :
         {0u, 0x105u, 0x204u, chunk - 0x500, chunk - 0x3C, chunk - 0x10, chunk - 3, chunk + 1})
        expectSameAsStepByStep(img, from);
}

} // namespace
} // namespace tovallo
