#include "SrecTestSupport.h"

#include "srecord/ConverterTab.h"
#include "srecord/ExcludeRegionsModel.h"

#include "workspace/Workspace.h"

#include <gtest/gtest.h>

namespace tovallo::testing {
namespace {

class ConverterTabTest : public ::testing::Test {
  protected:
    ConverterTabTest() {
        WriteWholeFile(bin, FirmwareBuilder(0x200).random(0, 0x200, 5).str());
        ws.pumpInterval = std::chrono::milliseconds(0);
    }
    std::vector<std::string> lines() const { return CrLfLines(ReadWholeFile(s3)); }

    ScratchDir dir;
    Workspace ws;
    ScriptedDialogs dialogs;
    NullProgress progress;
    std::string bin = dir.file("in.bin");
    std::string s3 = dir.file("out.s3");
};

TEST_F(ConverterTabTest, StartAndStopTextsAreNormalisedAndWrittenBack) {
    BinToS3Form form{bin, "", "", true, true};
    ASSERT_TRUE(ConvertBinToS3(ws, dialogs, progress, form, s3));
    EXPECT_EQ(form.startText, "0x0");
    EXPECT_EQ(lines()[1].substr(4, 8), "00000000");
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{22});

    // The typed text "A0 02 0000" is the base 0xA0020000; the file exists now, so message 3
    // is asked and answered Yes.
    dialogs.shown.clear();
    dialogs.answers = {true};
    form.startText = "A0 02 0000";
    ASSERT_TRUE(ConvertBinToS3(ws, dialogs, progress, form, s3));
    EXPECT_EQ(form.startText, "0xA0020000");
    EXPECT_EQ(lines()[1].substr(4, 8), "A0020000");
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{3, 22}));

    // A part from 0XFFG (0xFF) to 0x120.
    dialogs.answers = {true};
    form = {bin, "0XFFG", "0x1 20", false, true};
    ASSERT_TRUE(ConvertBinToS3(ws, dialogs, progress, form, s3));
    EXPECT_EQ(form.startText, "0xFF");
    EXPECT_EQ(form.stopText, "0x120");
    const auto parts = lines();
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(parts[1].substr(0, 12), "S315000000FF");
    EXPECT_EQ(parts[2].substr(0, 12), "S3150000010F");
    EXPECT_EQ(parts[3].substr(0, 12), "S3060000011F");
}

TEST_F(ConverterTabTest, PartRangeRules) {
    // Start equal to stop: message 23, no records, no message 22.
    BinToS3Form form{bin, "0x100", "0x100", false, true};
    EXPECT_FALSE(ConvertBinToS3(ws, dialogs, progress, form, s3));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{23});
    EXPECT_EQ(ReadWholeFile(s3), "");

    // Stop 0 or one of 0x80000000 and above: the whole file with base = start.
    for (const char* stop : {"0", "0x80000000", "FFFFFFFF"}) {
        dialogs.shown.clear();
        dialogs.answers = {true};
        form = {bin, "0x100", stop, false, true};
        ASSERT_TRUE(ConvertBinToS3(ws, dialogs, progress, form, s3)) << stop;
        const auto l = lines();
        ASSERT_EQ(l.size(), 0x20u + 2) << stop;
        EXPECT_EQ(l[1].substr(0, 12), "S31500000100");
        EXPECT_EQ(l[0x20].substr(0, 12), "S315000002F0");
    }
}

TEST_F(ConverterTabTest, MissingInputsAndDeclinedOutputsStopEarly) {
    BinToS3Form form{dir.file("nothing.bin"), "", "", true, true};
    EXPECT_FALSE(ConvertBinToS3(ws, dialogs, progress, form, s3));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});

    dialogs.shown.clear();
    S3ToBinForm back{dir.file("nothing.s3"), true, true};
    EXPECT_FALSE(ConvertS3ToBin(ws, dialogs, progress, back, dir.file("x.bin")));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});

    // An existing output is kept when message 3 is answered No.
    WriteWholeFile(s3, "keep");
    dialogs.shown.clear();
    form.binFile = bin;
    EXPECT_FALSE(ConvertBinToS3(ws, dialogs, progress, form, s3));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{3});
    EXPECT_EQ(ReadWholeFile(s3), "keep");

    // The output name comes from the save dialog when none is given; cancelling stops.
    dialogs.shown.clear();
    EXPECT_FALSE(ConvertBinToS3(ws, dialogs, progress, form));
    EXPECT_TRUE(dialogs.shown.empty());

    // Converting a file onto itself is refused before it is truncated.
    dialogs.answers = {true};
    back.s3File = s3;
    EXPECT_FALSE(ConvertS3ToBin(ws, dialogs, progress, back, s3));
    EXPECT_EQ(ReadWholeFile(s3), "keep");
    EXPECT_TRUE(dialogs.showedText());
}

TEST_F(ConverterTabTest, RoundTripThroughBothTabStepsWithPresetRegions) {
    const std::string original = FirmwareBuilder(0x10000).random(0, 0x10000, 9).str();
    WriteWholeFile(bin, original);
    ExcludeRegionsModel model;
    model.LoadPreset(ExcludeRegionsModel::PresetC200);
    model.Ok(ws.ExcludedRegions);
    BinToS3Form form{bin, "", "", true, true};
    dialogs.files = {s3};
    ASSERT_TRUE(ConvertBinToS3(ws, dialogs, progress, form));

    const std::string back = dir.file("back.bin");
    S3ToBinForm s3form{s3, true, false};
    ASSERT_TRUE(ConvertS3ToBin(ws, dialogs, progress, s3form, back));
    std::string expected = original;
    std::fill(expected.begin() + 0x2000, expected.begin() + 0x4000, '\0');
    std::fill(expected.begin() + 0x8000, expected.begin() + 0xE000, '\0');
    EXPECT_EQ(ReadWholeFile(back), expected);
    // S0 and S7 are reported as ignored lines when messages are not suppressed.
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{22, 20, 20, 22}));
}

TEST(ExcludeRegionsModel, AddSortDeleteAndPreset) {
    ExcludeRegionsModel model;
    model.LEStart = "4000";
    model.LEStop = "3fff";
    EXPECT_FALSE(model.AddRegion());
    EXPECT_TRUE(model.rows().empty());
    EXPECT_EQ(model.LEStart, "0x4000"); // written back normalised

    // An empty edit adds nothing.
    model.LEStart = "";
    model.LEStop = "10";
    EXPECT_FALSE(model.AddRegion());

    model.LEStart = "8000";
    model.LEStop = "dfff";
    EXPECT_TRUE(model.AddRegion());
    model.LEStart = "0x2000";
    model.LEStop = "3FFF";
    EXPECT_TRUE(model.AddRegion());
    model.LEStart = "5000";
    model.LEStop = "5000"; // one byte
    EXPECT_TRUE(model.AddRegion());
    ASSERT_EQ(model.rows().size(), 3u);
    EXPECT_EQ(model.startCell(0), "0x00002000");
    EXPECT_EQ(model.stopCell(0), "0x00003FFF");
    EXPECT_EQ(model.startCell(1), "0x00005000");
    EXPECT_EQ(model.startCell(2), "0x00008000");

    model.SelectRow(2);
    EXPECT_EQ(model.LEStart, "0x00008000");
    EXPECT_EQ(model.LEStop, "0x0000DFFF");

    model.DeleteRegion(1);
    ASSERT_EQ(model.rows().size(), 2u);
    EXPECT_EQ(model.startCell(1), "0x00008000");

    // More than 32 bits is refused with the conversion error.
    ScriptedDialogs dialogs;
    model.LEStart = "123456789";
    model.LEStop = "223456789";
    EXPECT_FALSE(model.AddRegion(&dialogs));
    EXPECT_TRUE(dialogs.showedText());

    // The preset replaces the rows, twice gives the same two rows.
    model.LoadPreset(ExcludeRegionsModel::PresetC200);
    model.LoadPreset(ExcludeRegionsModel::PresetC200);
    ASSERT_EQ(model.rows().size(), 2u);
    EXPECT_EQ(model.startCell(0), "0x00002000");
    EXPECT_EQ(model.stopCell(0), "0x00003FFF");
    EXPECT_EQ(model.startCell(1), "0x00008000");
    EXPECT_EQ(model.stopCell(1), "0x0000DFFF");
    EXPECT_EQ(model.LEStart, "0x8000");
    EXPECT_EQ(model.LEStop, "0xdfff");

    std::vector<AddressRegion> regions = {{1, 2}};
    model.Ok(regions);
    ASSERT_EQ(regions.size(), 2u);
    EXPECT_EQ(regions[1].Start, 0x8000u);
    EXPECT_EQ(regions[1].Stop, 0xDFFFu);

    model.Clear();
    model.Ok(regions);
    EXPECT_TRUE(regions.empty());
}

} // namespace
} // namespace tovallo::testing
