#include "media/SoundDiscovery.h"
#include "MediaTestSupport.h"
#include "workspace/MessageNumbers.h"

namespace tovallo {
namespace {

using namespace testing;

TEST(FindSounds, ListsEveryUsableHeaderAndGoesOnAfterTheOthers) {
    FirmwareBuilder b(0x1000);
    b.place(0, MmfHeader(0x10));                     // offset 0: not listed, the scan goes on
    b.place(0x100, MmfFile(0x40));                   // a sound ...
    b.place(0x110, MmfHeader(0x08));                 // ... with a second header inside it
    b.place(0x200, MmfHeader(0));                    // zero length
    b.place(0x300, MmfHeader(0x80000000));           // top bit set
    b.place(0x400, MmfHeader(0x7FFFFFFF));           // the largest length: no 32-bit wrap
    b.place(0x1000 - 6, "MMMD" + std::string(2, 1)); // the length cut by the end of the file
    OpenedMedia fw(b);
    SoundList list;
    list.add({"old", 1, 1}, 7);
    FindSounds(fw.ws, list, fw.bar, fw.dialogs);
    EXPECT_EQ(list.rows, (std::vector<SoundRow>{{"Sound_1", 0x100, 0x48},
                                                {"Sound_2", 0x110, 0x10},
                                                {"Sound_3", 0x400, 0x80000007u}}));
    EXPECT_EQ(list.SoundLinks, (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(SoundCells(list.rows[2]),
              (std::array<std::string, 4>{"Sound_3", "0x00000400", "2147483655", "MMF"}));

    // Nothing found: an empty list, and message 8 either way.
    OpenedMedia none(FirmwareBuilder(0x100));
    FindSounds(none.ws, list, none.bar, none.dialogs);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{msg::SearchCompleted});
    EXPECT_EQ(none.dialogs.numbers(), std::vector<int>{msg::SearchCompleted});
}

// Each model's rows and table entries: see the command line test.
TEST(SoundTable, FoundForEveryModelWithAnEmptiedList) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        const MediaImage image = BuildMediaImage(model);
        OpenedMedia fw(image);
        SoundList list;
        list.add({"old", 1, 1}, 7);
        EXPECT_EQ(FindSoundsTable(fw.ws, list, fw.bar, fw.dialogs), image.soundTable);
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{msg::SearchCompleted});
    }
}

TEST(SoundTable, EndConditionsAndTheAddressText) {
    const uint32_t size = 0x1000;
    FirmwareBuilder b(size);
    // Each table is followed by an entry that must not be read.
    const std::string next = SoundEntry(0x600, 1, 0);
    b.place(0x100, SoundEntry(0x400, 10, 0) + SoundEntry(size, 0x7FFFFFFF, 0) +
                       SoundEntry(0x500, 0x80000000, 0) + next);
    b.place(0x200, SoundEntry(size + 1, 4, 0) + next).place(0x300, SoundEntry(0x400, 0, 0) + next);
    b.place(0x340, SoundEntry(0, 4, 0) + next)
        .place(0, SoundEntry(0x20, 3, 0) + SoundEntry(0, 0, 0));
    b.place(size - 12, SoundEntry(0x30, 5, 0) + "\x30\x00\x00\x00"); // the next entry is cut
    OpenedMedia fw(b);

    SoundList list = ReadSoundsTable(fw.ws, 0x100);
    EXPECT_EQ(list.rows,
              (std::vector<SoundRow>{{"Sound_1", 0x400, 10}, {"Sound_2", size, 0x7FFFFFFF}}));
    EXPECT_EQ(list.SoundLinks, (std::vector<uint32_t>{0x100, 0x108}));
    for (uint32_t at : {0x200u, 0x300u, 0x340u, size, size + 100})
        EXPECT_TRUE(ReadSoundsTable(fw.ws, at).empty()) << at;
    EXPECT_EQ(ReadSoundsTable(fw.ws, size - 12).size(), 1u);

    // The text is written back cleaned; "0x" alone reads at 0.
    for (auto [typed, cleaned, first] :
         {std::tuple{"0x", "0x0", 0x20u}, {"1 00", "0x100", 0x400u}}) {
        std::string text = typed;
        ASSERT_TRUE(ReadSoundsTableAt(fw.ws, text, list, fw.dialogs));
        EXPECT_EQ(text, cleaned);
        EXPECT_EQ(list.rows[0].Addr, first);
    }
    EXPECT_TRUE(fw.dialogs.shown.empty());

    // Beyond the firmware: message 2, the list as it was. Too many digits: the number error.
    for (std::string text : {"0x1001", "123456789", ""})
        EXPECT_FALSE(ReadSoundsTableAt(fw.ws, text, list, fw.dialogs)) << text;
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{msg::EndOfFile, -1}));
    EXPECT_EQ(list.size(), 2u);

    // No signature: message 29.
    EXPECT_EQ(FindSoundsTable(fw.ws, list, fw.bar, fw.dialogs), std::nullopt);
    EXPECT_TRUE(fw.dialogs.showed(msg::SoundTableNotFound));
    EXPECT_TRUE(list.empty());
}

TEST(SoundList, RenameKeepsTheOldNameForTextTheTableFileCannotHold) {
    SoundList list;
    list.add({"Sound_1", 1, 2}, 0);
    EXPECT_TRUE(RenameSound(list, 0, "Ring tone"));
    for (const char* bad : {"", "a\tb", "a\rb", "a\nb"})
        EXPECT_FALSE(RenameSound(list, 0, bad));
    EXPECT_FALSE(RenameSound(list, 1, "x"));
    EXPECT_EQ(list.rows[0].Name, "Ring tone");
}

} // namespace
} // namespace tovallo
