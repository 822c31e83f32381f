#include "media/JavaTable.h"
#include "MediaTestSupport.h"
#include "media/JavaEdits.h"
#include "workspace/MessageNumbers.h"
#include "workspace/SaveChanges.h"

#include <filesystem>

namespace tovallo {
namespace {

namespace fs = std::filesystem;
using namespace testing;

std::vector<std::string> shownNames(const JavaList& list) {
    std::vector<std::string> names;
    for (const JavaRow& r : list.rows)
        names.push_back(r.Shown);
    return names;
}

TEST(JavaTable, ListsJarAndJadEntriesUntilTheTableEndsWithNoLimitOfFiles) {
    FirmwareBuilder b(0x4000);
    const std::string name128 = "e:\\S100\\#Long#" + std::string(110, 'x') + ".jar";
    ASSERT_EQ(name128.size(), 128u);
    uint32_t at = 0x100;
    for (const std::string& name : std::vector<std::string>{
             "e:\\S100\\#Tetris#Tetris.jar", "e:\\S100\\#Tetris#Tetris.jad",
             "e:\\S100\\#a#notes.txt", "e:\\S100\\#Up#UP.JAR", "e:\\S100\\Plain.jar",
             "e:\\S100\\#x#x.jar.bak", name128, std::string("e:\\S100\\#After#After.jar")}) {
        b.place(at, JavaEntry(name, 0x10 + at, 0x2000 + at));
        at += 136;
    }
    OpenedMedia fw(b);
    const JavaList list = ReadJavaTable(fw.ws, 0x100);
    // The upper-case ".JAR" is not listed; the 128-byte name without a zero ends the table.
    EXPECT_EQ(shownNames(list),
              (std::vector<std::string>{"#Tetris#Tetris.jar", "#Tetris#Tetris.jad",
                                        "e:\\S100\\Plain.jar", "#x#x.jar.bak"}));
    EXPECT_EQ(list.JavaEntries, (std::vector<uint32_t>{0x100, 0x188, 0x320, 0x3A8}));
    EXPECT_EQ(JavaCells(list.rows[0]),
              (std::array<std::string, 3>{"#Tetris#Tetris.jar", "0x00002100", "272"}));
    EXPECT_STREQ(JavaFileFilter(list.rows[1]), "Java JAD file|*.jad");
    EXPECT_STREQ(JavaFileFilter(list.rows[0]), "Java JAR file|*.jar");

    // An empty name ends the table; so does an entry cut by the end of the file.
    FirmwareBuilder cut(0x200);
    cut.place(0x0, JavaEntry("e:\\S100\\#A#A.jar", 1, 2) + JavaEntry("", 0, 0) +
                       JavaEntry("e:\\S100\\#B#B.jar", 1, 2));
    cut.place(0x200 - 136 + 1, JavaEntry("e:\\S100\\#C#C.jar", 1, 2).substr(0, 135));
    OpenedMedia cutFw(cut);
    EXPECT_EQ(ReadJavaTable(cutFw.ws, 0).size(), 1u);
    EXPECT_TRUE(ReadJavaTable(cutFw.ws, 0x200 - 136 + 1).empty());
    EXPECT_TRUE(ReadJavaTable(cutFw.ws, 0x1000).empty());

    // There is no limit of 128 files.
    FirmwareBuilder many(0x10000);
    for (uint32_t i = 0; i < 300; ++i)
        many.place(i * 136, JavaEntry("e:\\S100\\#G" + std::to_string(i) + "#G.jar", i + 1, 0x100));
    OpenedMedia manyFw(many);
    const JavaList all = ReadJavaTable(manyFw.ws, 0);
    ASSERT_EQ(all.size(), 300u);
    EXPECT_EQ(all.JavaEntries.back(), 299u * 136);
    EXPECT_EQ(all.rows.back().Shown, "#G299#G.jar");
}

TEST(FindJavaGames, FindsTheMarkerForEveryModelAndExportStopsAtTheEnd) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        const MediaImage image = BuildMediaImage(model);
        OpenedMedia fw(image);
        JavaList list;
        ASSERT_TRUE(FindJavaGames(fw.ws, list, fw.bar, fw.dialogs));
        EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{msg::JavaGamesFound});
        EXPECT_EQ(list.JavaEntries, image.javaEntries);

        // A range past the end of the firmware exports nothing.
        list.rows[0].Addr = image.base + 0x10000 - 10;
        EXPECT_FALSE(ExportJava(fw.ws, list, 0, fw.dir.file("Tetris.jad"), fw.dialogs));
        EXPECT_FALSE(fs::exists(fw.dir.file("Tetris.jad")));
        EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{msg::JavaGamesFound, msg::EndOfFile}));
    }
    // No marker: false and no message; the list is emptied.
    OpenedMedia none(FirmwareBuilder(0x1000));
    JavaList list;
    list.rows.push_back({"old", 1, 1});
    EXPECT_FALSE(FindJavaGames(none.ws, list, none.bar, none.dialogs));
    EXPECT_TRUE(none.dialogs.shown.empty());
    EXPECT_TRUE(list.empty());
}

class ReplaceJavaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(FindJavaGames(fw.ws, list, fw.bar, fw.dialogs));
        fw.dialogs.shown.clear();
    }
    std::string file(const std::string& name, const std::string& bytes) {
        const std::string path = fw.dir.file(name);
        WriteWholeFile(path, bytes);
        return path;
    }
    MediaImage image = BuildMediaImage(PhoneModel::C200);
    OpenedMedia fw{image};
    JavaList list;
};

TEST_F(ReplaceJavaTest, TheFileMustBeOfTheRowsKindAndItsNameMustFitTheEntry) {
    const std::string jad = file("Game.jad", "MIDlet-Name: G\r\n");
    fw.dialogs.answers = {true, true, true, true, true, true};
    EXPECT_FALSE(ReplaceJava(fw.ws, list, 1, jad, fw.dialogs)) << "a JAD for a JAR row";
    EXPECT_FALSE(ReplaceJava(fw.ws, list, 0, file("Game.zip", "x"), fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(),
              (std::vector<int>{msg::TypeNotSupported, msg::TypeNotSupported}));
    fw.dialogs.shown.clear();

    // A name without a Windows-1251 form, an empty file.
    EXPECT_FALSE(ReplaceJava(fw.ws, list, 1, file("\xCE\xA9mega.jar", "PK"), fw.dialogs));
    EXPECT_FALSE(ReplaceJava(fw.ws, list, 1, file("g.jar", ""), fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{-1, -1}));
    EXPECT_EQ(fw.ws.changes.total(), 0u);

    // The entry text "e:\\S100\\#c...c#c...c.jar" with its zero byte must fit the 128-byte field.
    const std::string fits = std::string(56, 'c') + ".jar", tooLong = std::string(57, 'c') + ".jar";
    EXPECT_EQ(JavaEntryText(fits).size(), 127u);
    fw.dialogs.shown.clear();
    EXPECT_FALSE(ReplaceJava(fw.ws, list, 1, file(tooLong, "PK"), fw.dialogs));
    EXPECT_TRUE(ReplaceJava(fw.ws, list, 1, file(fits, "PK"), fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{-1, msg::ReplaceFile}));
    EXPECT_EQ(fw.ws.changes.JavaChanges.size(), 1u);
}

TEST_F(ReplaceJavaTest, QueuesTheFileWithItsEntryTextAndSaveAllWritesThem) {
    const std::string original = ReadWholeFile(fw.path());
    // Upper-case extension, a Cyrillic name (UTF-8 on disk, Windows-1251 in the entry).
    const std::string smaller = file("\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0.JAR", "PK-new-game");
    const std::string larger = file("Big.jad", std::string(image.jad.size() + 1, 'j'));

    EXPECT_FALSE(ReplaceJava(fw.ws, list, 1, smaller, fw.dialogs)) << "question 25 answered No";
    fw.dialogs.answers = {true, false};
    EXPECT_FALSE(ReplaceJava(fw.ws, list, 0, larger, fw.dialogs)) << "message 26 answered No";
    EXPECT_EQ(fw.dialogs.numbers(),
              (std::vector<int>{msg::ReplaceFile, msg::ReplaceFile, msg::SoundLargerThanOriginal}));
    EXPECT_EQ(fw.ws.changes.total(), 0u);

    fw.dialogs.answers = {true, true, true};
    ASSERT_TRUE(ReplaceJava(fw.ws, list, 1, smaller, fw.dialogs));
    ASSERT_TRUE(ReplaceJava(fw.ws, list, 0, larger, fw.dialogs));
    const auto& java = fw.ws.changes.JavaChanges;
    ASSERT_EQ(java.size(), 2u);
    EXPECT_EQ(fs::path(java[0].FileName).filename(), "JavaAPP0.tmp");
    EXPECT_EQ(fs::path(java[1].FileName).filename(), "JavaAPP1.tmp");

    ASSERT_TRUE(SaveAllChanges(fw.ws, fw.dialogs));
    const std::string winName = "\xC8\xE3\xF0\xE0";
    std::string expected = original;
    auto put = [&](uint32_t at, const std::string& bytes) {
        expected.replace(at, bytes.size(), bytes);
    };
    put(0x7000, "PK-new-game");
    put(image.javaEntries[1], "e:\\S100\\#" + winName + "#" + winName + ".jar" + '\0');
    put(image.javaEntries[1] + 128, std::string("\x0B\0\0\0", 4));
    put(0x6000, std::string(image.jad.size() + 1, 'j'));
    put(image.javaEntries[0], std::string("e:\\S100\\#Big#Big.jad") + '\0');
    put(image.javaEntries[0] + 128,
        std::string(1, static_cast<char>(image.jad.size() + 1)) + std::string(3, '\0'));
    fw.ws.firmware.flush();
    EXPECT_EQ(ReadWholeFile(fw.path()), expected);

    JavaList reread;
    ASSERT_TRUE(FindJavaGames(fw.ws, reread, fw.bar, fw.dialogs));
    EXPECT_EQ(shownNames(reread),
              (std::vector<std::string>{"#Big#Big.jad", "#" + winName + "#" + winName + ".jar"}));
    EXPECT_EQ(reread.rows[1].Size, 11u);
}

} // namespace
} // namespace tovallo
