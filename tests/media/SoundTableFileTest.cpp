#include "media/SoundTableFile.h"
#include "MediaTestSupport.h"
#include "media/SoundDiscovery.h"
#include "workspace/MessageNumbers.h"

#include <filesystem>

namespace tovallo {
namespace {

using namespace testing;

TEST(SoundTableFile, ASavedListLoadsBackWithItsLinksAndAnEmptyOneAsNoRow) {
    const MediaImage image = BuildMediaImage(PhoneModel::P730);
    OpenedMedia fw(image);
    SoundList list = ReadSoundsTable(fw.ws, image.soundTable);
    ASSERT_EQ(list.size(), 3u);
    ASSERT_TRUE(RenameSound(list, 1, "Ring Addr: Size: Table: Type: x")); // the markers as a name
    list.add({"Found", 0x20, 5, "MMF"}, 0);
    list.SoundLinks.pop_back(); // a row without a link saves Table 0

    const std::string path = fw.dir.file("sounds.txt");
    ASSERT_TRUE(SaveSoundTable(fw.ws, path, list, fw.dialogs));
    const std::string text = ReadWholeFile(path);
    EXPECT_EQ(text.substr(0, text.find("002 ")),
              "001 Sound_1\t Addr: 0x00001000\t Size: 512\t Table: 0x00000108\t Type: MMF\t"
              "\r\n\r\n");
    EXPECT_NE(text.find("004 Found\t Addr: 0x00000020\t Size: 5\t Table: 0x00000000\t Type: "
                        "MMF\t\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(SoundTableRecord(1000, {"n", 1, 2, "MMF"}, 3).substr(0, 6), "1000 n");

    SoundList loaded;
    ASSERT_TRUE(LoadSoundTable(path, loaded, fw.dialogs));
    EXPECT_EQ(loaded.rows, list.rows);
    std::vector<uint32_t> links = list.SoundLinks;
    links.push_back(0);
    EXPECT_EQ(loaded.SoundLinks, links);

    // An empty list saves one blank record that loads as no row; an empty file is no row too.
    const std::string empty = fw.dir.file("empty.txt");
    ASSERT_TRUE(SaveSoundTable(fw.ws, empty, SoundList{}, fw.dialogs));
    EXPECT_EQ(ReadWholeFile(empty),
              "001 \t Addr: \t Size: \t Table: 0x00000000\t Type: \t\r\n\r\n");
    ASSERT_TRUE(LoadSoundTable(empty, loaded, fw.dialogs));
    EXPECT_TRUE(loaded.empty() && loaded.SoundLinks.empty());
    WriteWholeFile(empty, "");
    loaded.add({"x", 1, 1}, 1);
    ASSERT_TRUE(LoadSoundTable(empty, loaded, fw.dialogs));
    EXPECT_TRUE(loaded.empty());
    EXPECT_TRUE(fw.dialogs.shown.empty());

    // An existing file is replaced only after message 3; the firmware is never written over.
    const std::string other = fw.dir.file("other.txt");
    WriteWholeFile(other, "keep");
    EXPECT_FALSE(SaveSoundTable(fw.ws, other, list, fw.dialogs));
    EXPECT_EQ(ReadWholeFile(other), "keep");
    fw.dialogs.answers = {true};
    EXPECT_TRUE(SaveSoundTable(fw.ws, other, list, fw.dialogs));
    EXPECT_EQ(ReadWholeFile(other), text);
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{msg::FileExists, msg::FileExists}));
    const std::string before = ReadWholeFile(fw.path());
    fw.dialogs.answers = {true};
    EXPECT_FALSE(SaveSoundTable(fw.ws, fw.path(), list, fw.dialogs));
    EXPECT_EQ(ReadWholeFile(fw.path()), before);
    EXPECT_TRUE(fw.dialogs.showedText());
}

TEST(SoundTableFile, ABrokenRecordRefusesTheWholeFile) {
    const std::string good = "001 A\t Addr: 0x00000010\t Size: 4\t Table: 0x00000000\t Type: MMF\t";
    const std::vector<std::pair<std::string, std::string>> broken = {
        {"002 B\t Addr: 0x00000010\t Table: 0x00000000\t Type: MMF\t", "no Size"},
        {"002 B\t Addr: 0x00000010\t Size: 4\t Table: 0x00000000\t", "no Type"},
        {"002 B Addr: 0x00000010\t Size: 4\t Table: 0x00000000\t Type: MMF\t", "no Addr"},
        {"002-B-without-a-blank", "no name"},
        {"002 B\t Addr: 16\t Size: 4\t Table: 0x00000000\t Type: MMF\t", "Addr is no address"},
        {"002 B\t Addr: 0x\t Size: 4\t Table: 0x00000000\t Type: MMF\t", "Addr is no address"},
        {"002 B\t Addr: 0x1\t Size: 4\t Table: 0x100000000\t Type: MMF\t", "Table is no address"},
        {"002 B\t Addr: 0x1\t Size: 4\t Table: 0xZZ\t Type: MMF\t", "Table is no address"},
        {"002 B\t Addr: 0x1\t Size: 4294967296\t Table: 0x0\t Type: MMF\t", "Size is no"},
        {"002 B\t Addr: 0x1\t Size: -1\t Table: 0x0\t Type: MMF\t", "Size is no"},
        {"002 B\t Addr: 0x1\t Size: \t Table: 0x0\t Type: MMF\t", "Size is no"},
        {"002 " + std::string(5000, 'n') + "\t Addr: 0x1\t Size: 1\t Table: 0x0\t Type: MMF\t",
         "too long"},
    };
    ScratchDir dir;
    const std::string path = dir.file("t.txt");
    for (const auto& [line, why] : broken) {
        SCOPED_TRACE(why);
        WriteWholeFile(path, good + "\r\n\r\n" + line + "\r\n\r\n" + good + "\r\n\r\n");
        ScriptedDialogs dialogs;
        SoundList list;
        list.add({"kept", 1, 2}, 3);
        EXPECT_FALSE(LoadSoundTable(path, list, dialogs));
        EXPECT_EQ(list.rows, (std::vector<SoundRow>{{"kept", 1, 2}}));
        ASSERT_EQ(dialogs.numbers(), std::vector<int>{-1});
        EXPECT_NE(dialogs.shown[0].text.find("record 2"), std::string::npos)
            << dialogs.shown[0].text;
        EXPECT_NE(dialogs.shown[0].text.find(why), std::string::npos) << dialogs.shown[0].text;
    }

    // Lower-case and short address texts are addresses; lines end at CR and skip one byte more.
    WriteWholeFile(path, "7 A b\t Addr: 0X1f\t Size: 0\t Table: 0x8\t Type: \t\rx\r\n");
    SoundList list;
    ScriptedDialogs dialogs;
    ASSERT_TRUE(LoadSoundTable(path, list, dialogs));
    EXPECT_EQ(list.rows, (std::vector<SoundRow>{{"A b", 0x1F, 0, ""}}));
    EXPECT_EQ(list.SoundLinks, std::vector<uint32_t>{8});
    EXPECT_FALSE(LoadSoundTable(dir.file("missing.txt"), list, dialogs));
    EXPECT_FALSE(LoadSoundTable(dir.path().string(), list, dialogs)) << "a folder";
    EXPECT_EQ(list.size(), 1u);
}

} // namespace
} // namespace tovallo
