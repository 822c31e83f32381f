#include "images/ImageTable.h"
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "images/ImageTableFile.h"
#include "images/RowSort.h"
#include "images/TableLine.h"
#include "workspace/Workspace.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tovallo {
namespace {

using testing::ReadWholeFile;
using testing::ScratchDir;
using testing::ScriptedDialogs;
using testing::WriteWholeFile;

const std::function<const std::string&(const ImageEntry&)> byName =
    [](const ImageEntry& e) -> const std::string& { return e.Name; };
const std::function<const std::string&(const ImageEntry&)> byAddress =
    [](const ImageEntry& e) -> const std::string& { return e.Address; };

// Name and address of each row.
std::vector<std::string> cells(const ImageTable& t) {
    std::vector<std::string> out;
    for (const ImageEntry& e : t)
        out.push_back(e.Name + " " + e.Address);
    return out;
}

ImageEntry row(const std::string& name, const std::string& address) {
    return {name, address, "10", "1*1", "16*", "09"};
}

TEST(ImageTableRows, AddCurrentPicture) {
    ImageTable table;
    ScriptedDialogs dialogs;
    CurrentPicture current;
    auto show = [&current](uint32_t address, ImageType type, int width, int height) {
        current.Address = address;
        current.Type = type;
        current.Width = width;
        current.Height = height;
    };
    show(0x12AB40, ImageType::Image09, 128, 160);
    current.Length09 = 4096;
    EXPECT_EQ(AddCurrentPicture(table, current, "", dialogs), AddResult::NoName);
    EXPECT_EQ(AddCurrentPicture(table, current, "Logo", dialogs), AddResult::Added);
    EXPECT_EQ(AddCurrentPicture(table, current, "Other name", dialogs), AddResult::Duplicate);
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{5, 4}));
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0], (ImageEntry{"Logo", "0x0012AB40", "4096", "128*160", "16*", "09"}));

    // Sizes of the other types; RAW-16 sizes are wider than 16 bits.
    show(0x200, ImageType::Wbmp, 101, 9);
    EXPECT_EQ(AddCurrentPicture(table, current, "Band", dialogs), AddResult::Added);
    EXPECT_EQ(table[1], (ImageEntry{"Band", "0x00000200", "113", "101*9", "1*", "WBMP"}));
    show(0x300, ImageType::Raw16, 176, 220);
    EXPECT_EQ(AddCurrentPicture(table, current, "Wall", dialogs), AddResult::Added);
    EXPECT_EQ(table[2], (ImageEntry{"Wall", "0x00000300", "77440", "176*220", "16*", "RAW-16"}));

    // The row of a picture taken from the viewer: the row listing its address, else a new one
    // at the listed address (a RAW-16 picture's type byte).
    EXPECT_EQ(TableRowFor(table, current, 0x200, "Other"), 1u);
    EXPECT_EQ(TableRowFor(table, current, 0x2FF, "Found"), 3u);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[3], (ImageEntry{"Found", "0x000002FF", "77440", "176*220", "16*", "RAW-16"}));
}

TEST(ImageTableRows, SortsKeepEqualRowsInOrder) {
    ImageTable t = {row("Image_2", "0x00001000"), row("Image_10", "0x00000100"),
                    row("image_1", "256"),        row("Image_1", "0x10"),
                    row("Image_10", "$20"),       row("Im", "0x00001000")};
    // Equal names, and equal numbers (0x100 and 256, two 0x1000), keep their order.
    SortRowsByText(t, byName);
    EXPECT_EQ(cells(t),
              (std::vector<std::string>{"Im 0x00001000", "Image_1 0x10", "Image_10 0x00000100",
                                        "Image_10 $20", "Image_2 0x00001000", "image_1 256"}));
    ScriptedDialogs dialogs;
    ASSERT_TRUE(SortRowsByNumber(t, byAddress, dialogs));
    EXPECT_EQ(cells(t),
              (std::vector<std::string>{"Image_1 0x10", "Image_10 $20", "Image_10 0x00000100",
                                        "image_1 256", "Im 0x00001000", "Image_2 0x00001000"}));
    EXPECT_TRUE(dialogs.shown.empty());

    // A cell that is no number: a message, and the rows stay as they were.
    const ImageTable before = {row("b", "0x20"), row("a", "0x1G"), row("c", "1")};
    ImageTable broken = before;
    EXPECT_FALSE(SortRowsByNumber(broken, byAddress, dialogs));
    EXPECT_EQ(broken, before);
    ASSERT_TRUE(dialogs.showedText());
    EXPECT_NE(dialogs.shown[0].text.find("0x1G"), std::string::npos);
    // One row compares nothing, so nothing is converted.
    ImageTable single = {row("a", "")};
    EXPECT_TRUE(SortRowsByNumber(single, byAddress, dialogs));

    // Bytes above 0x7F sort after ASCII (unsigned character codes).
    ImageTable cyrillic = {row("\xC0", "1"), row("Z", "2"), row("", "3")};
    SortRowsByText(cyrillic, byName);
    EXPECT_EQ(cells(cyrillic), (std::vector<std::string>{" 3", "Z 2", "\xC0 1"}));

    // The numbers of cells: 0x and $ prefixes, signs and 64-bit limits.
    EXPECT_EQ(ParseCellNumber("0x00000100"), 256);
    EXPECT_EQ(ParseCellNumber("$FF"), 255);
    EXPECT_EQ(ParseCellNumber(" -12"), -12);
    EXPECT_EQ(ParseCellNumber("9223372036854775807"), INT64_MAX);
    for (const char* bad : {"9223372036854775808", "", "0x", "12a"})
        EXPECT_FALSE(ParseCellNumber(bad)) << bad;
}

TEST(ImageTableFile, RecordFormatAndRoundTrip) {
    const ImageEntry logo{"Logo", "0x0012AB40", "4096", "128*160", "16*", "09"};
    EXPECT_EQ(ImageTableRecord(1, logo), "001 Logo\t 0x0012AB40\t Frames: 1\t Size: 4096\t "
                                         "Dimension: 128*160\t Color: 16*\t Type: 09\t");
    EXPECT_EQ(ImageTableRecord(7, logo).substr(0, 4), "007 ");
    EXPECT_EQ(ImageTableRecord(1234, logo).substr(0, 5), "1234 ");

    ScratchDir dir;
    ScriptedDialogs dialogs;
    Workspace ws;
    ImageTable table;
    for (int i = 0; i < 12; ++i)
        table.push_back({"\xC8\xEC\xFF " + std::to_string(i), "0x0000100" + std::to_string(i % 10),
                         std::to_string(i * 100), "176*220", i % 2 ? "1*" : "16*",
                         i % 2 ? "WBMP" : "RAW-16", i % 4 == 0});
    // A RAW-16 row from the found list keeps, in the file too, that its address is the type
    // byte; readers that stop at the type see an ordinary record.
    ImageEntry unmarked = table[0];
    unmarked.AddressIsTypeByte = false;
    EXPECT_EQ(ImageTableRecord(1, table[0]), ImageTableRecord(1, unmarked) + " TypeByte: 1\t");
    const std::string path = dir.file("table.txt");
    ASSERT_TRUE(SaveImageTable(ws, path, table, dialogs));
    const std::string text = ReadWholeFile(path);
    EXPECT_EQ(text.substr(0, ImageTableRecord(1, table[0]).size() + 4),
              ImageTableRecord(1, table[0]) + "\r\n\r\n");
    EXPECT_NE(text.find("\r\n\r\n012 "), std::string::npos);

    ImageTable loaded = {row("old", "0x1")};
    ASSERT_TRUE(LoadImageTable(path, loaded, dialogs));
    EXPECT_EQ(loaded, table);

    // Overwriting asks message 3; No keeps the file.
    ASSERT_FALSE(SaveImageTable(ws, path, {}, dialogs));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{3});
    EXPECT_EQ(ReadWholeFile(path), text);
    // Yes: an empty table writes the grid's blank row, which loads as no row.
    dialogs.answers = {true};
    ASSERT_TRUE(SaveImageTable(ws, path, {}, dialogs));
    EXPECT_EQ(ReadWholeFile(path),
              "001 \t \t Frames: 1\t Size: \t Dimension: \t Color: \t Type: \t\r\n\r\n");
    ASSERT_TRUE(LoadImageTable(path, loaded, dialogs));
    EXPECT_TRUE(loaded.empty());

    dialogs.shown.clear();
    loaded = table;
    EXPECT_FALSE(LoadImageTable(dir.file("missing.txt"), loaded, dialogs));
    EXPECT_TRUE(dialogs.showedText());
    EXPECT_EQ(loaded, table);
}

TEST(ImageTableFile, LoadingOddFiles) {
    ScratchDir dir;
    ScriptedDialogs dialogs;
    const std::string a = ImageTableRecord(1, row("A", "0x1"));
    const std::string b = ImageTableRecord(2, row("B", "0x2"));
    const std::string c = ImageTableRecord(3, row("C", "0x3"));
    ImageTable loaded;

    // Records without their empty line lose every second record.
    WriteWholeFile(dir.file("t.txt"), a + "\r\n" + b + "\r\n" + c + "\r\n");
    ASSERT_TRUE(LoadImageTable(dir.file("t.txt"), loaded, dialogs));
    EXPECT_EQ(cells(loaded), (std::vector<std::string>{"A 0x1", "C 0x3"}));
    // Loading stops at the first empty line.
    WriteWholeFile(dir.file("t.txt"), "\r\n" + a + "\r\n\r\n");
    ASSERT_TRUE(LoadImageTable(dir.file("t.txt"), loaded, dialogs));
    EXPECT_TRUE(loaded.empty());
    // A record without a TAB after its type has an empty type.
    WriteWholeFile(dir.file("t.txt"), a.substr(0, a.size() - 1));
    ASSERT_TRUE(LoadImageTable(dir.file("t.txt"), loaded, dialogs));
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].Type, "");
    EXPECT_EQ(loaded[0].Colour, "16*");
}

TEST(TableLine, CarriageReturnEndsALine) {
    std::istringstream in("one\r\ntwo\rXthree\nfour\r");
    EXPECT_EQ(ReadTableLine(in), "one");
    EXPECT_EQ(ReadTableLine(in), "two"); // the byte after the CR is dropped, whatever it is
    EXPECT_EQ(ReadTableLine(in), "three\nfour");
    EXPECT_EQ(ReadTableLine(in), "");
    EXPECT_TRUE(in.eof());
}

} // namespace
} // namespace tovallo
