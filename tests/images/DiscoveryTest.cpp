#include "ImagesTestSupport.h"
#include "fixtures/PictureFixtures.h"
#include "images/Find09.h"
#include "images/FirmwareImageTable.h"
#include "images/ImageTable.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::FirmwareBuilder;
using testing::HexBytes;
using testing::OpenedFirmware;
using testing::RecordingProgress;

std::vector<uint32_t> addressesOf(const FoundPictureList& list) {
    std::vector<uint32_t> out;
    for (const FoundPicture& p : list)
        out.push_back(p.Address);
    return out;
}

Find09Result scan(OpenedFirmware& fw, uint32_t start = 0) {
    RecordingProgress bar;
    return FindImages09(fw.ws, start, bar, fw.dialogs);
}

TEST(FindImages09, CandidatesAndThePaletteCheck) {
    FirmwareBuilder b(0x400);
    b.place(0x10, HexBytes("09 00 09 80"));                  // no palette counts
    b.place(0x20, HexBytes("09 01 12 34"));                  // one colour
    b.place(0x280, HexBytes("09 7F")).random(0x282, 254, 7); // 127 colours
    b.place(0x7E, HexBytes("09 01 56 78"));                  // offset 126: last tested of a block
    b.place(0x17F, HexBytes("09 02 11 22 33 44"));           // offset 383: first of a block
    b.place(0x182, HexBytes("09 01 AA BB"));                 // inside the palette above: skipped
    // First two colours equal: rejected; the candidate 09 05 three bytes on lies inside it.
    b.place(0x1A0, HexBytes("09 02 05 09 05 09"));
    b.place(0x1C0, HexBytes("09 01 AB CD AB CD")); // one colour, equal to the bytes after it
    b.place(0x1D0, HexBytes("09 01 AB CD AB CE"));
    b.place(0x1E0, HexBytes("09 03 01 02 03 02 03 05")); // bytes 1-2 equal bytes 3-4: rejected
    b.place(0x3FC, HexBytes("09 01 77 88"));             // palette ends with the file: listed
    OpenedFirmware fw(b);
    const Find09Result r = scan(fw);
    EXPECT_EQ(addressesOf(r.pictures),
              (std::vector<uint32_t>{0x20, 0x7E, 0x17F, 0x1D0, 0x280, 0x3FC}));
    EXPECT_EQ(r.candidates, 11u);
    EXPECT_FALSE(r.limitReached);
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{8});

    // A later start skips what lies before it; one beyond the file finds nothing and completes.
    EXPECT_EQ(addressesOf(scan(fw, 0x1C1).pictures), (std::vector<uint32_t>{0x1D0, 0x280, 0x3FC}));
    fw.dialogs.shown.clear();
    EXPECT_TRUE(scan(fw, 0x5000).pictures.empty());
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{8});

    // A palette that would reach past the end, and the last offset with a second byte inside it.
    FirmwareBuilder end(0x200);
    end.place(0x1FC, HexBytes("09 02 11 22")).place(0x1FE, HexBytes("09 05"));
    OpenedFirmware endFw(end);
    const Find09Result atEnd = scan(endFw);
    EXPECT_TRUE(atEnd.pictures.empty());
    EXPECT_EQ(atEnd.candidates, 2u);
}

TEST(FindImages09, StopsCollectingAfterTheLimitAtTheEndOfItsBlock) {
    // "09 01 12 34" over and over: candidate k (from 1) lies at 4 (k - 1).
    const size_t size = 4 * MaxCandidates09 + 4096;
    std::string pairs;
    pairs.reserve(size);
    while (pairs.size() < size)
        pairs += "\x09\x01\x12\x34";
    FirmwareBuilder b(size);
    b.place(0, pairs);
    OpenedFirmware fw(b);
    RecordingProgress bar;
    const Find09Result r = FindImages09(fw.ws, 0, bar, fw.dialogs);
    EXPECT_TRUE(r.limitReached);
    // The 1,048,577th candidate lies at 4,194,304, in the 127-byte block 4,194,302-4,194,428,
    // which still contributes its 32 candidates; each of them passes the palette check.
    EXPECT_EQ(r.candidates, MaxCandidates09 + 32);
    EXPECT_EQ(r.pictures.size(), r.candidates);
    EXPECT_EQ(r.pictures.back().Address, 4194428u);
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{12, 8}));
    EXPECT_EQ(bar.maximum, 33059); // one step a 127-byte block
    EXPECT_GT(bar.pumps, 0);
}

TEST(ImageTable, FoundByItsSignature) {
    for (PhoneModel model : AllPhoneModels) {
        const auto pf = testing::BuildPictureFirmware(model);
        OpenedFirmware fw(pf.builder);
        RecordingProgress bar;
        // E720 scans start at its flash start, 0x20000000, beyond this small file. The rows
        // are read in the command line test and below.
        const bool e720 = model == PhoneModel::E720;
        EXPECT_EQ(FindImageTable(fw.ws, bar, fw.dialogs),
                  e720 ? std::nullopt : std::optional<uint32_t>(pf.tableAddress))
            << ModelCliName(model);
        EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{e720 ? 15 : 8});
    }
}

TEST(ImageTable, ReadingStopsAtZeroAndAtTheEndOfTheFile) {
    FirmwareBuilder b(0x2000, 0x00);
    // 600 entries cross a 4096-byte read; the closing entry has width 5 and height 0.
    for (uint32_t i = 0; i < 600; ++i) {
        b.placeU16(0x100 + 8 * i, 10).placeU16(0x102 + 8 * i, 20).placeU32(0x104 + 8 * i, i);
    }
    b.placeU16(0x100 + 8 * 600, 5);
    b.placeU16(0x1FF8, 1).placeU16(0x1FFA, 1).placeU32(0x1FFC, 0xABCD); // last whole entry
    OpenedFirmware fw(b);

    auto table = ReadImageTable(fw.ws, 0x100, fw.dialogs);
    ASSERT_TRUE(table);
    EXPECT_TRUE(table->complete);
    ASSERT_EQ(table->rows.size(), 600u);
    EXPECT_EQ(table->rows[599], (FoundPicture{599, 10, 20}));

    table = ReadImageTable(fw.ws, 0x50, fw.dialogs); // width 0 at once
    ASSERT_TRUE(table);
    EXPECT_TRUE(table->rows.empty());
    EXPECT_TRUE(fw.dialogs.shown.empty());

    // A table that runs into the end of the file keeps its rows and says so.
    table = ReadImageTable(fw.ws, 0x1FF8, fw.dialogs);
    ASSERT_TRUE(table);
    EXPECT_FALSE(table->complete);
    EXPECT_EQ(table->rows, (FoundPictureList{{0xABCD, 1, 1}}));
    ASSERT_TRUE(fw.dialogs.showedText());
    EXPECT_NE(fw.dialogs.shown.back().text.find("end of the file"), std::string::npos);

    fw.dialogs.shown.clear();
    EXPECT_FALSE(ReadImageTable(fw.ws, 0x2001, fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{2});
}

TEST(ImageTable, ImportsFoundPicturesWithTheirSizes) {
    const auto pf = testing::BuildPictureFirmware(PhoneModel::C200);
    OpenedFirmware fw(pf.builder);
    const auto table = ReadImageTable(fw.ws, pf.tableAddress, fw.dialogs);
    ASSERT_TRUE(table);
    ImageTable rows = {{"Mine", "0x00000001", "1", "1*1", "16*", "RAW-16"}};
    CurrentPicture current;
    auto import = [&](ImageTable& into, const FoundPictureList& found) {
        ImportFoundPictures(FirmwareReader(fw.ws), into, found, current, TypeChoice::Auto,
                            fw.dialogs);
    };
    import(rows, table->rows);
    ASSERT_EQ(rows.size(), 5u);
    const ImageTable expected = {
        rows[0],
        {"Image_1", "0x00002000", std::to_string(pf.pictures[0].size()), "26*14", "16*", "09"},
        {"Image_2", "0x00004000", "512", "16*16", "16*", "RAW-16", true},
        {"Image_3", "0x00005000", "64", "32*16", "1*", "WBMP"},
        {"Image_4", "0x00006000", std::to_string(pf.pictures[3].size()), "40*30", "16*", "09"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(current.Address, 0x6000u);
    EXPECT_EQ(current.Length09, pf.pictures[3].size());
    EXPECT_TRUE(fw.dialogs.shown.empty());
    // The imported RAW-16 row itself knows its pixels follow the type byte; a row typed in by
    // the user is read from its address.
    EXPECT_EQ(RowPictureAddress(rows[2], fw.dialogs), 0x4001u);
    EXPECT_EQ(RowPictureAddress(rows[0], fw.dialogs), 0x1u);

    // Scanned pictures have no dimension: the current one is used and the cell stays empty.
    ImageTable scanned;
    current.Width = 40;
    current.Height = 30;
    import(scanned, {{0x6000, 0, 0}, { 0x4000, 0, 0 }});
    ASSERT_EQ(scanned.size(), 2u);
    EXPECT_EQ(scanned[0].Dimension, "");
    EXPECT_EQ(scanned[0].Size, std::to_string(pf.pictures[3].size()));
    EXPECT_EQ(scanned[1].Size, "2400");
    EXPECT_EQ(current.Address, 0x4001u); // past the RAW-16 type byte

    // Dimensions outside 1-320 x 1-240 (a wrong table) are neither measured nor imported.
    ImageTable wrong;
    const CurrentPicture before = current;
    import(wrong, {{0x2000, 400, 10}, {0x4000, 16, 65535}, { 0x6000, 65535, 65535 }});
    EXPECT_TRUE(wrong.empty());
    EXPECT_EQ(current.Address, before.Address);
    EXPECT_EQ(current.Width, before.Width);
    ASSERT_EQ(fw.dialogs.numbers(), std::vector<int>{-1});
    EXPECT_EQ(fw.dialogs.shown[0].text.substr(0, 2), "3 ");
}

} // namespace
} // namespace tovallo
