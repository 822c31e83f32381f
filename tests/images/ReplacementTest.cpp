#include "ImagesTestSupport.h"
#include "fixtures/PictureFixtures.h"
#include "images/BmpFile.h"
#include "images/Image09Decoder.h"
#include "images/ImageReplacement.h"
#include "images/PictureReader.h"
#include "images/Raw16Codec.h"
#include "images/WbmpCodec.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::ReadWholeFile;

// The fixture firmware, its table as image table rows and the row's picture as shown.
struct ReplacementFixture {
    testing::PictureFirmware pf = testing::BuildPictureFirmware(PhoneModel::C200);
    testing::OpenedFirmware fw{pf.builder};
    testing::ScriptedDialogs& dialogs = fw.dialogs;
    ImageTable table;
    CurrentPicture current;
    ReplacementDialog dialog;
    const std::vector<Images_>& queued = fw.ws.changes.ImageChanges;

    ReplacementFixture() {
        for (const auto& p : pf.pictures)
            table.push_back({"", ToHexAddr(p.address), "", "", "", ""});
    }
    // Shows the row's picture as clicking the found list does, then opens the dialog.
    bool open(size_t row) {
        const auto& p = pf.pictures[row];
        current.Width = p.picture.Width;
        current.Height = p.picture.Height;
        DetectImageType(FirmwareReader(fw.ws), current, p.address, TypeChoice::Auto);
        current.Address = p.address + (current.Type == ImageType::Raw16 ? 1 : 0);
        const auto shown = RenderCurrentPicture(FirmwareReader(fw.ws), current);
        EXPECT_TRUE(shown);
        return OpenReplacement(dialog, current, *shown, table, row, dialogs);
    }
    bool import(const Picture& p, Rgb24 phoneTransparent = 0) {
        return ImportReplacement(dialog, current, p, phoneTransparent, dialogs);
    }
    bool queue() { return QueueReplacement(fw.ws, dialog, current, dialogs); }
};

TEST(Replacement, OpensWithTheOldPictureExportsItAndShowsTheNextAddress) {
    ReplacementFixture f;
    ASSERT_TRUE(f.open(1));
    EXPECT_EQ(f.dialog.OldSizeText, "16 x 16 x 512");
    ASSERT_TRUE(f.open(3)); // the last row keeps the old next address
    EXPECT_EQ(f.dialog.OldNextAddrText, "0x00005000");
    EXPECT_TRUE(f.dialog.NewSizeText.empty());
    f.table[0].Address = "0x00001000"; // the next address follows the row's address
    ASSERT_TRUE(f.open(0));
    EXPECT_EQ(f.dialog.OldSizeText, "26 x 14 x " + std::to_string(f.pf.pictures[0].size()));
    EXPECT_EQ(f.dialog.OldNextAddrText, "0x00004000");
    EXPECT_EQ(f.dialog.OldPicture, f.pf.pictures[0].picture);

    f.dialog.AutoNextAddr = true;
    f.current.NewSize = 301;
    UpdateNewNextAddress(f.dialog, f.current);
    EXPECT_EQ(f.dialog.NewNextAddrText, "0x0000112E");
    f.dialog.AutoNextAddr = false;
    UpdateNewNextAddress(f.dialog, f.current);
    EXPECT_EQ(f.dialog.NewNextAddrText, "");

    // The export proposes the row's name, or its address when it has none, and writes the
    // typed name with ".bmp" added; an existing file is kept after No to message 3.
    EXPECT_EQ(ProposedExportName(f.dialog.RowName, f.dialog.RowAddress), "0x00001000.bmp");
    EXPECT_EQ(ProposedExportName("\xCB\xEE\xE3\xEE/1", 0), "\u041B\u043E\u0433\u043E_1.bmp");
    EXPECT_EQ(WithBmpExtension("dir.bmp/Pic.BMP"), "dir.bmp/Pic.BMP");
    const std::string old = f.fw.dir.file("old");
    ASSERT_TRUE(ExportOldPicture(f.fw.ws, old, f.dialog, f.dialogs));
    EXPECT_EQ(testing::ReadBmp(old + ".bmp"), f.pf.pictures[0].picture);
    f.dialogs.shown.clear();
    EXPECT_FALSE(ExportOldPicture(f.fw.ws, old, f.dialog, f.dialogs));
    EXPECT_EQ(f.dialogs.numbers(), std::vector<int>{3});

    // A BMP that cannot be read is reported and changes nothing.
    const std::string bad = f.fw.dir.file("bad.bmp");
    testing::WriteWholeFile(bad, "BM broken");
    EXPECT_FALSE(ImportReplacementFile(f.dialog, f.current, bad, 0, f.dialogs));
    EXPECT_TRUE(f.dialogs.showedText());

    // Nothing opens for an "09" picture never decoded or a row without an address.
    CurrentPicture undecoded;
    undecoded.Type = ImageType::Image09;
    EXPECT_FALSE(OpenReplacement(f.dialog, undecoded, Picture(1, 1), f.table, 0, f.dialogs));
    f.table[0].Address.clear();
    EXPECT_FALSE(OpenReplacement(f.dialog, f.current, Picture(1, 1), f.table, 0, f.dialogs));
}

TEST(Replacement, QueuesAnEncoded09PictureWithItsQuestions) {
    ReplacementFixture f;
    ASSERT_TRUE(f.open(0));
    f.dialog.AutoNextAddr = true;
    // Fewer bytes first: twice the width, a single colour.
    ASSERT_TRUE(f.import(Picture(52, 14, MakeRgb24(0, 0, 255)), f.fw.ws.profile.TransparentColor));
    EXPECT_EQ(f.dialogs.numbers(), std::vector<int>{10});
    const uint32_t plainSize = 2 + 2 + 12 * 2; // 728 pixels: 11 runs of 63 and one of 35
    EXPECT_EQ(f.current.NewSize, plainSize);
    EXPECT_EQ(f.dialog.NewSizeText, "52 x 14 x " + std::to_string(plainSize));
    EXPECT_EQ(f.dialog.NewNextAddrText, "0x0000201C");

    // Replace asks message 16 for the other dimensions; No queues nothing.
    f.dialogs.shown.clear();
    EXPECT_FALSE(f.queue());
    EXPECT_EQ(f.dialogs.numbers(), std::vector<int>{16});
    EXPECT_TRUE(f.queued.empty());

    // A noisy picture of the old dimensions encodes larger: message 17; Yes queues it.
    Picture noisy(26, 14);
    for (size_t i = 0; i < noisy.Pixels.size(); ++i)
        noisy.Pixels[i] = Rgb565ToColor(static_cast<Rgb565>(i * 97 + 5));
    f.dialogs.shown.clear();
    ASSERT_TRUE(f.import(noisy));
    EXPECT_TRUE(f.dialogs.shown.empty());
    f.dialogs.answers = {true};
    ASSERT_TRUE(f.queue());
    EXPECT_EQ(f.dialogs.numbers(), std::vector<int>{17});
    ASSERT_EQ(f.queued.size(), 1u);
    EXPECT_EQ(f.queued[0].Addr, 0x2000u);
    EXPECT_EQ(f.queued[0].Size, 26u + 14u * 65536);
    EXPECT_NE(f.queued[0].FileName.find("Image0.tmp"), std::string::npos);
    const std::string bytes = ReadWholeFile(f.queued[0].FileName);
    EXPECT_EQ(bytes.size(), f.current.NewSize);
    EXPECT_EQ(DecodeImage09(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 26, 14,
                            Decode09Mode::Draw)
                  .picture,
              noisy);

    // A replacement whose bytes would run past the end of the firmware is refused when queued.
    f.current.Address = static_cast<uint32_t>(f.fw.ws.FwSize()) - 4;
    f.dialogs.shown.clear();
    f.dialogs.answers = {true};
    EXPECT_FALSE(f.queue());
    EXPECT_EQ(f.dialogs.numbers(), std::vector<int>{-1});
    EXPECT_NE(f.dialogs.shown[0].text.find("outside the firmware"), std::string::npos);
    EXPECT_EQ(f.queued.size(), 1u);
}

TEST(Replacement, TransparencyAndOtherTypes) {
    ReplacementFixture f;
    ASSERT_TRUE(f.open(0));
    EXPECT_FALSE(CanPickTransparentColour(f.dialog));
    Picture p(26, 14, White);
    p.at(3, 4) = MakeRgb24(0, 255, 0);
    ASSERT_TRUE(f.import(p, 0x080000));
    ASSERT_TRUE(CanPickTransparentColour(f.dialog));
    EXPECT_FALSE(PickTransparentColour(f.dialog, 26, 0));
    ASSERT_TRUE(PickTransparentColour(f.dialog, 3, 4));
    f.dialog.Transparent = true;
    ASSERT_TRUE(f.queue());
    // White is the most used colour, then the key, written as C200's transparent colour.
    EXPECT_EQ(ReadWholeFile(f.queued[0].FileName).substr(0, 6),
              testing::HexBytes("09 02 FF FF 01 00"));

    // RAW-16: the pixels after the type byte; the second record's file is Image1.tmp.
    ASSERT_TRUE(f.open(1));
    const Picture raw = testing::StripedPicture(16, 16, {0x1234, 0x4321});
    ASSERT_TRUE(f.import(raw));
    EXPECT_EQ(f.dialog.NewSizeText, "16 x 16 x 512");
    ASSERT_TRUE(f.queue());
    EXPECT_EQ(f.queued[1].Addr, 0x4001u);
    EXPECT_NE(f.queued[1].FileName.find("Image1.tmp"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(f.queued[1].FileName), EncodeRaw16(raw));

    // WBMP with the one-bit encoder.
    ASSERT_TRUE(f.open(2));
    const Picture mono = testing::CheckeredWbmpPicture(32, 16);
    ASSERT_TRUE(f.import(mono));
    ASSERT_TRUE(f.queue());
    EXPECT_EQ(ReadWholeFile(f.queued[2].FileName), testing::BuildWbmpBytes(mono));

    // A picture larger than 320 x 240 is cut; Replace before an import does nothing.
    ASSERT_TRUE(f.open(0));
    ASSERT_TRUE(f.import(Picture(400, 300)));
    EXPECT_EQ(f.dialog.NewPicture.Width, 320);
    EXPECT_EQ(f.dialog.NewPicture.Height, 240);
    ASSERT_TRUE(f.open(0));
    EXPECT_FALSE(f.queue());
}

} // namespace
} // namespace tovallo
