#include "fixtures/MediaFixtures.h"
#include "fixtures/SurveyFixtures.h"
#include "images/FirmwareImageTable.h"
#include "media/SoundDiscovery.h"
#include "resources/survey/ResourceSurvey.h"
#include "strings/StringsSession.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"

#include <gtest/gtest.h>

#include <array>

namespace tovallo {
namespace {

using testing::FlashImage;
using testing::SurveyFirmware;

// A survey firmware written to a scratch directory and opened in a workspace of its model.
struct SurveyOn {
    explicit SurveyOn(const SurveyFirmware& fw) {
        ws.SelectModel(fw.image.model());
        ws.pumpInterval = std::chrono::milliseconds(0);
        EXPECT_TRUE(ws.OpenFirmware(fw.write(dir.file("firmware.bin")), dialogs));
        dialogs.shown.clear();
    }
    SurveyResult run(std::deque<bool> answers) {
        dialogs.answers = std::move(answers);
        return FindAllResources(ws, dialogs, bar, regions);
    }

    testing::ScratchDir dir;
    Workspace ws;
    testing::ScriptedDialogs dialogs;
    testing::RecordingProgress bar;
    FreeRegions regions;
};

const int Questions[] = {msg::StringTableFound, msg::PictureTableFound, msg::SoundTableFound,
                         msg::JavaTableFound};

std::vector<std::array<int64_t, 3>> blocksOf(const std::vector<FreeRegion>& regions) {
    std::vector<std::array<int64_t, 3>> out;
    for (const FreeRegion& r : regions)
        out.push_back({r.Start, r.Size, r.Used});
    return out;
}

TEST(FindAllResources, ListsEveryModelsTablesInFileOrderReadAsTheirTabsReadThem) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        const SurveyFirmware fw = testing::BuildSurveyFirmware(model);
        SurveyOn t(fw);
        t.ws.SearchPos = 0x1234;
        const SurveyResult r = t.run({true, true, true, true});

        // Each table's kind, match, table address and rows are checked by SurveyCli.
        std::vector<int> asked;
        for (const auto& table : fw.tables)
            asked.push_back(Questions[table.kind]);
        asked.push_back(msg::SearchCompleted);
        EXPECT_EQ(t.dialogs.numbers(), asked) << "no table twice and no phantom";
        EXPECT_EQ(t.ws.SearchPos, 0x1234u) << "the text search keeps its resume point";

        // The languages with the deleted ones, and each freed block once.
        ASSERT_TRUE(r.languages);
        ASSERT_EQ(r.languages->entries.size(), fw.languages.size());
        for (size_t i = 0; i < fw.languages.size(); ++i) {
            const LanguageEntry &a = r.languages->entries[i], &b = fw.languages[i];
            EXPECT_EQ(
                (std::array<int64_t, 5>{a.Offset, a.TablePtr, a.Count, int(a.List), a.Deleted}),
                (std::array<int64_t, 5>{b.Offset, b.TablePtr, b.Count, int(b.List), b.Deleted}))
                << "entry " << i;
        }
        EXPECT_EQ(blocksOf(t.regions.regions()), blocksOf(fw.freedBlocks));

        // What each tab's own read gives.
        StringsSession strings;
        testing::ScriptedDialogs quiet;
        ASSERT_TRUE(strings.FindTable(t.ws, quiet, t.bar, true));
        EXPECT_EQ(r.languages->items(LanguageList::Messages),
                  strings.languages.items(LanguageList::Messages));
        EXPECT_EQ(r.languages->items(LanguageList::Menus),
                  strings.languages.items(LanguageList::Menus));
        EXPECT_EQ(blocksOf(strings.freeRegions.regions()), blocksOf(t.regions.regions()));

        const uint32_t pictureTable = r.find(SurveyKind::Pictures)->Table;
        EXPECT_EQ(r.pictureTable, pictureTable);
        ASSERT_TRUE(r.pictures);
        EXPECT_EQ(*r.pictures, ReadImageTable(t.ws, pictureTable, quiet)->rows);

        const uint32_t soundTable = r.find(SurveyKind::Sounds)->Table;
        EXPECT_EQ(r.soundTableText, ToHexAddr(soundTable));
        ASSERT_TRUE(r.sounds);
        const SoundList sounds = ReadSoundsTable(t.ws, soundTable);
        EXPECT_EQ(r.sounds->rows, sounds.rows);
        EXPECT_EQ(r.sounds->SoundLinks, sounds.SoundLinks);

        ASSERT_TRUE(r.java);
        const JavaList java = ReadJavaTable(t.ws, r.find(SurveyKind::Java)->Table);
        EXPECT_EQ(r.java->rows, java.rows);
        EXPECT_EQ(r.java->JavaEntries, java.JavaEntries);
        EXPECT_EQ(quiet.numbers(), std::vector<int>{msg::SearchCompleted})
            << "no reader complained";
    }
}

TEST(FindAllResources, ANoStillSpendsThePatternAndLeavesTheTabAlone) {
    const SurveyFirmware fw = testing::BuildSurveyFirmware(PhoneModel::E850);
    SurveyOn t(fw);
    // E850: sounds, strings, Java, pictures; only the Java table is read.
    const SurveyResult r = t.run({false, false, true, false});
    ASSERT_EQ(r.tables.size(), 4u);
    EXPECT_EQ(t.dialogs.numbers(),
              (std::vector<int>{msg::SoundTableFound, msg::StringTableFound, msg::JavaTableFound,
                                msg::PictureTableFound, msg::SearchCompleted}));
    for (const SurveyedTable& table : r.tables)
        EXPECT_EQ(table.Read, table.Kind == SurveyKind::Java);
    EXPECT_FALSE(r.languages || r.pictureTable || r.pictures || r.soundTableText || r.sounds);
    ASSERT_TRUE(r.java);
    EXPECT_EQ(r.find(SurveyKind::Java)->Rows, fw.javaFiles);
    EXPECT_EQ(r.find(SurveyKind::Sounds)->Rows, 0u);
    EXPECT_TRUE(t.regions.empty());

    // Stopped in the first round: nothing is found and the survey ends as usual.
    t.dialogs.shown.clear();
    t.bar.onPump = [&t] { t.ws.SearchStop = true; };
    EXPECT_TRUE(t.run({true}).tables.empty());
    EXPECT_EQ(t.dialogs.numbers(), std::vector<int>{msg::SearchCompleted});
    EXPECT_FALSE(t.ws.SearchStop);

    // Without a firmware nothing happens.
    Workspace closed;
    testing::ScriptedDialogs dialogs;
    EXPECT_TRUE(FindAllResources(closed, dialogs, t.bar, t.regions).tables.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(FindAllResources, TablesAtTheEdgesOfTheFile) {
    const PhoneProfile c200 = PhoneProfile::ForModel(PhoneModel::C200);
    // A sound table at offset 0 does not end the survey; a picture table that runs into the end
    // of the file keeps the rows read, with its reader's message.
    SurveyFirmware edges(FlashImage(PhoneModel::C200, 0x3000));
    edges.image.place(0, c200.SoundTableSig)
        .place(8, testing::SoundEntry(0x1000, 0x40, 0) + testing::SoundEntry(0, 0, 0));
    edges.image.place(0x1000, testing::MmfFile(0x38));
    const uint32_t pictures = 0x3000 - 8 - 2 * 8 - 4;
    edges.image.place(pictures, ImageTablePattern(c200.ImageTableSig))
        .placeU32(pictures + 12, 0x1800)
        .place(pictures + 16, testing::HexBytes("10 00 10 00 00 20 00 00 20 00"));
    SurveyOn t(edges);
    SurveyResult r = t.run({true, true});
    ASSERT_EQ(r.tables.size(), 2u);
    EXPECT_EQ(r.tables[0].Match, 0u);
    EXPECT_EQ(r.tables[0].Rows, 1u);
    EXPECT_EQ(r.tables[1].Match, pictures);
    ASSERT_TRUE(r.pictures);
    EXPECT_EQ(*r.pictures, (FoundPictureList{{0x1800, 26, 14}, {0x2000, 16, 16}}));
    EXPECT_EQ(t.dialogs.numbers(), (std::vector<int>{msg::SoundTableFound, msg::PictureTableFound,
                                                     -1, msg::SearchCompleted}));

    // A short signature in the last bytes, which the longest pattern cannot reach, is found.
    SurveyFirmware last(FlashImage(PhoneModel::C200, 0x2000));
    last.image.place(0x2000 - 4, c200.StringTableSig);
    SurveyOn u(last);
    r = u.run({true});
    ASSERT_EQ(r.tables.size(), 1u);
    EXPECT_EQ(r.tables[0].Match, 0x2000u - 4);
    ASSERT_TRUE(r.languages);
    EXPECT_TRUE(r.languages->empty());
}

} // namespace
} // namespace tovallo
