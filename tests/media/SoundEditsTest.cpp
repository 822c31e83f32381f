#include "media/SoundEdits.h"
#include "MediaTestSupport.h"
#include "media/SoundDiscovery.h"
#include "workspace/MessageNumbers.h"
#include "workspace/SaveChanges.h"

#include <filesystem>

namespace tovallo {
namespace {

namespace fs = std::filesystem;
using namespace testing;

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ExportSound, WritesTheSoundAndNothingWhereItMustNot) {
    const MediaImage image = BuildMediaImage(PhoneModel::C200);
    OpenedMedia fw(image);
    SoundList list = ReadSoundsTable(fw.ws, image.soundTable);
    const std::string out = fw.dir.file("Sound_1.mmf");
    ASSERT_TRUE(ExportSound(fw.ws, list, 0, out, fw.dialogs));
    EXPECT_EQ(ReadWholeFile(out), MmfFile(0x1F8, 1));
    EXPECT_TRUE(fw.dialogs.shown.empty());

    // An existing file: message 3; No keeps it, Yes replaces it.
    ASSERT_FALSE(ExportSound(fw.ws, list, 1, out, fw.dialogs));
    EXPECT_EQ(ReadWholeFile(out), MmfFile(0x1F8, 1));
    fw.dialogs.answers = {true};
    ASSERT_TRUE(ExportSound(fw.ws, list, 1, out, fw.dialogs));
    EXPECT_EQ(ReadWholeFile(out), MmfFile(0x100, 2));
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{msg::FileExists, msg::FileExists}));
    fw.dialogs.shown.clear();

    // A range past the end of the firmware: message 2 and no file.
    list.add({"Tail", 0x10000 - 4, 8}, 0);
    EXPECT_FALSE(ExportSound(fw.ws, list, 3, fw.dir.file("tail.mmf"), fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{msg::EndOfFile});
    // The firmware itself, also through a link, is never the output.
    const std::string before = ReadWholeFile(fw.path());
    fs::create_symlink(fw.path(), fw.dir.file("link.mmf"));
    fw.dialogs.answers = {true, true};
    EXPECT_FALSE(ExportSound(fw.ws, list, 0, fw.path(), fw.dialogs));
    EXPECT_FALSE(ExportSound(fw.ws, list, 0, fw.dir.file("link.mmf"), fw.dialogs));
    EXPECT_EQ(ReadWholeFile(fw.path()), before);
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{msg::EndOfFile, -1, -1}));
    // A row without a name exports nothing; no temporary file stays behind.
    list.rows[0].Name.clear();
    EXPECT_FALSE(ExportSound(fw.ws, list, 0, fw.dir.file("x.mmf"), fw.dialogs));
    EXPECT_EQ(filesIn(fw.dir.path()),
              (std::vector<std::string>{"Sound_1.mmf", "firmware.bin", "link.mmf"}));

    // Through a link to another file, the file linked to is replaced and the link stays.
    fs::create_symlink(out, fw.dir.file("to-out.mmf"));
    fw.dialogs.answers = {true};
    ASSERT_TRUE(ExportSound(fw.ws, list, 2, fw.dir.file("to-out.mmf"), fw.dialogs));
    EXPECT_TRUE(fs::is_symlink(fw.dir.file("to-out.mmf")));
    EXPECT_EQ(ReadWholeFile(out), MmfFile(0x38, 3));
}

TEST(ReplaceSound, RefusesOtherFileNamesEmptyFilesAndDataPastTheEnd) {
    const MediaImage image = BuildMediaImage(PhoneModel::C200);
    OpenedMedia fw(image);
    SoundList list = ReadSoundsTable(fw.ws, image.soundTable);
    fs::create_directories(fw.dir.file("sounds.mmf"));
    for (const char* name : {"sounds.mmf/tone.wav", "tone.mmf.wav", "TONE.MMF"})
        WriteWholeFile(fw.dir.file(name), "MMMD");
    WriteWholeFile(fw.dir.file("empty.mmf"), "");
    WriteWholeFile(fw.dir.file("big.mmf"), MmfFile(0x1000));
    list.add({"Tail", 0x10000 - 0x100, 0x100}, 0);
    list.add({"Bad link", 0x1000, 0x100}, 0x10000 - 4); // a loaded table file may say anything
    fw.dialogs.answers = {true, true, true, true};
    const std::pair<size_t, const char*> refused[] = {
        {0, "sounds.mmf/tone.wav"}, {0, "tone.mmf.wav"}, {0, "empty.mmf"},
        {0, "missing.mmf"},         {3, "big.mmf"},      {4, "big.mmf"}};
    for (const auto& [row, name] : refused)
        EXPECT_FALSE(ReplaceSound(fw.ws, list, row, fw.dir.file(name), fw.dialogs)) << name;
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{msg::TypeNotSupported, msg::TypeNotSupported,
                                                      -1, -1, msg::EndOfFile, msg::EndOfFile}));
    EXPECT_EQ(fw.ws.changes.total(), 0u);
    fw.dialogs.shown.clear();
    EXPECT_TRUE(ReplaceSound(fw.ws, list, 0, fw.dir.file("TONE.MMF"), fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{msg::ReplaceSound});
}

TEST(ReplaceSound, QueuesTheFileAndTheTableSizeThenSaveAllWritesThem) {
    const MediaImage image = BuildMediaImage(PhoneModel::E850);
    OpenedMedia fw(image);
    const std::string original = ReadWholeFile(fw.path());
    const SoundList table = ReadSoundsTable(fw.ws, image.soundTable);
    const std::string smaller = fw.dir.file("small.mmf"), larger = fw.dir.file("large.mmf");
    WriteWholeFile(smaller, MmfFile(0x20, 9));
    WriteWholeFile(larger, MmfFile(0x200, 9)); // 0x208 bytes, above the second sound's 0x108

    // A smaller file asks only question 28, a larger one message 26 too; a No queues nothing.
    const std::vector<int> asked = {msg::ReplaceSound, msg::ReplaceSound,
                                    msg::SoundLargerThanOriginal};
    EXPECT_FALSE(ReplaceSound(fw.ws, table, 1, smaller, fw.dialogs));
    fw.dialogs.answers = {true, false};
    EXPECT_FALSE(ReplaceSound(fw.ws, table, 1, larger, fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), asked);
    EXPECT_EQ(fw.ws.changes.total(), 0u);

    // Each sound from the table queues its file and its size in the table.
    fw.dialogs.shown.clear();
    fw.dialogs.answers = {true, true, true};
    ASSERT_TRUE(ReplaceSound(fw.ws, table, 0, smaller, fw.dialogs));
    ASSERT_TRUE(ReplaceSound(fw.ws, table, 1, larger, fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), asked);
    const auto& sounds = fw.ws.changes.SoundChanges;
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(fs::path(sounds[0].FileName).filename(), "Snd_0.tmp");
    EXPECT_EQ(fs::path(sounds[1].FileName).filename(), "Snd_1.tmp");
    EXPECT_EQ(fs::path(sounds[0].FileName).parent_path(),
              fs::path(fw.ws.tempDir.path()).parent_path());
    EXPECT_EQ(fw.ws.changes.LinkChanges.size(), 2u);

    // A sound found by scanning queues only its file.
    SoundList scanned;
    FindSounds(fw.ws, scanned, fw.bar, fw.dialogs);
    fw.dialogs.answers = {true};
    ASSERT_TRUE(ReplaceSound(fw.ws, scanned, 2, smaller, fw.dialogs));
    EXPECT_EQ(fw.ws.changes.SoundChanges.size(), 3u);
    EXPECT_EQ(fw.ws.changes.LinkChanges.size(), 2u);

    ASSERT_TRUE(SaveAllChanges(fw.ws, fw.dialogs));
    std::string expected = original;
    auto put = [&](uint32_t at, const std::string& bytes) {
        expected.replace(at, bytes.size(), bytes);
    };
    put(image.sounds[0].addr, MmfFile(0x20, 9));
    put(image.sounds[1].addr, MmfFile(0x200, 9));
    put(image.sounds[2].addr, MmfFile(0x20, 9));
    put(table.SoundLinks[0] + 4, std::string("\x28\0\0\0", 4));
    put(table.SoundLinks[1] + 4, std::string("\x08\x02\0\0", 4));
    fw.ws.firmware.flush();
    EXPECT_EQ(ReadWholeFile(fw.path()), expected);
    const SoundList reread = ReadSoundsTable(fw.ws, image.soundTable);
    EXPECT_EQ(reread.rows[1].Size, 0x208u);
}

TEST(SoundLinks, FoundFromFlashStartAndRelinkedBySelection) {
    for (PhoneModel model : {PhoneModel::C200, PhoneModel::E720}) {
        SCOPED_TRACE(ModelCliName(model));
        MediaImage image = BuildMediaImage(model);
        const uint32_t target = image.sounds[2].addr;
        for (uint32_t at : {0x8001u, 0x8100u, 0xFFFCu}) // odd, plain, the last position
            image.flash.placeU32(at, target);
        OpenedMedia fw(image);
        SoundList list = ReadSoundsTable(fw.ws, image.soundTable);
        const std::vector<uint32_t> found = FindSoundLinks(fw.ws, list, 2, fw.bar, fw.dialogs);
        const uint32_t b = image.base;
        // The table entry's own Addr field holds the address too.
        EXPECT_EQ(found,
                  (std::vector<uint32_t>{list.SoundLinks[2], b + 0x8001, b + 0x8100, b + 0xFFFC}));
        EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{msg::SearchCompleted});

        std::string typed = "12 34";
        const std::vector<uint32_t> selected = {found[1], found[2]};
        EXPECT_FALSE(ChangeSoundAddr(fw.ws, list, 2, selected, typed, fw.dialogs));
        EXPECT_EQ(fw.ws.changes.total(), 0u);
        std::string empty;
        EXPECT_FALSE(ChangeSoundAddr(fw.ws, list, 2, selected, empty, fw.dialogs));
        EXPECT_FALSE(ChangeSoundAddr(fw.ws, list, 2, {}, typed, fw.dialogs));
        fw.dialogs.answers = {true};
        ASSERT_TRUE(ChangeSoundAddr(fw.ws, list, 2, selected, typed, fw.dialogs));
        EXPECT_EQ(typed, "0x1234");
        EXPECT_EQ(fw.dialogs.numbers(),
                  (std::vector<int>{msg::SearchCompleted, msg::ChangeImageAddress,
                                    msg::ChangeImageAddress}));
        const auto& links = fw.ws.changes.LinkChanges;
        ASSERT_EQ(links.size(), 2u);
        EXPECT_EQ(links[0].Addr, found[1]);
        EXPECT_EQ(links[1].Addr, found[2]);
        EXPECT_EQ(links[1].Value, 0x1234u);
        EXPECT_EQ(list.rows[2].Addr, 0x1234u);
    }
}

} // namespace
} // namespace tovallo
