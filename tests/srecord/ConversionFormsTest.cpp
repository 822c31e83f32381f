#include "SrecTestSupport.h"

#include "srecord/ConversionForms.h"
#include "srecord/ExcludeRegionsModel.h"

#include "workspace/Workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tovallo::testing {
namespace {

class ConversionFormsTest : public ::testing::Test {
  protected:
    ConversionFormsTest() {
        WriteWholeFile(bin, FirmwareBuilder(0x200).random(0, 0x200, 5).str());
        ws.pumpInterval = std::chrono::milliseconds(0);
    }
    std::vector<std::string> lines() const { return CrLfLines(ReadWholeFile(s3)); }
    // Converts `form` into the existing S3 file, answering Yes to replacing it.
    bool convertAgain(BinToS3Form& form) {
        dialogs.shown.clear();
        dialogs.answers = {true};
        return ConvertBinToS3(ws, dialogs, progress, form, s3);
    }

    ScratchDir dir;
    Workspace ws;
    ScriptedDialogs dialogs;
    NullProgress progress;
    std::string bin = dir.file("in.bin");
    std::string s3 = dir.file("out.s3");
};

TEST_F(ConversionFormsTest, StartAndStopTextsAreNormalisedAndWrittenBack) {
    // The output name comes from the save dialog; the S3 file converts back to the BIN.
    BinToS3Form form{bin, "", "", true, true};
    dialogs.files = {s3};
    ASSERT_TRUE(ConvertBinToS3(ws, dialogs, progress, form));
    EXPECT_EQ(form.startText, "0x0");
    EXPECT_EQ(lines()[1].substr(4, 8), "00000000");
    const std::string back = dir.file("back.bin");
    ASSERT_TRUE(ConvertS3ToBin(ws, dialogs, progress, S3ToBinForm{s3, true, false}, back));
    EXPECT_EQ(ReadWholeFile(back), ReadWholeFile(bin));
    // S0 and S7 are reported as ignored lines when messages are not suppressed.
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{22, 20, 20, 22}));

    // The typed text "A0 02 0000" is the base 0xA0020000; replacing the file asks message 3.
    form.startText = "A0 02 0000";
    ASSERT_TRUE(convertAgain(form));
    EXPECT_EQ(form.startText, "0xA0020000");
    EXPECT_EQ(lines()[1].substr(4, 8), "A0020000");
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{3, 22}));

    // A part from 0XFFG (0xFF) to 0x120.
    form = {bin, "0XFFG", "0x1 20", false, true};
    ASSERT_TRUE(convertAgain(form));
    EXPECT_EQ(form.startText, "0xFF");
    EXPECT_EQ(form.stopText, "0x120");
    const auto parts = lines();
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(parts[1].substr(0, 12), "S315000000FF");
    EXPECT_EQ(parts[2].substr(0, 12), "S3150000010F");
    EXPECT_EQ(parts[3].substr(0, 12), "S3060000011F");

    // Stop 0 or one of 0x80000000 and above: the whole file with base = start.
    for (const char* stop : {"0", "0x80000000", "FFFFFFFF"}) {
        form = {bin, "0x100", stop, false, true};
        ASSERT_TRUE(convertAgain(form)) << stop;
        const auto l = lines();
        ASSERT_EQ(l.size(), 0x20u + 2) << stop;
        EXPECT_EQ(l[1].substr(0, 12), "S31500000100");
        EXPECT_EQ(l[0x20].substr(0, 12), "S315000002F0");
    }
}

TEST_F(ConversionFormsTest, MissingInputsAndDeclinedOutputsStopEarly) {
    BinToS3Form form{dir.file("nothing.bin"), "", "", true, true};
    EXPECT_FALSE(ConvertBinToS3(ws, dialogs, progress, form, s3));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});

    dialogs.shown.clear();
    S3ToBinForm back{dir.file("nothing.s3"), true, true};
    EXPECT_FALSE(ConvertS3ToBin(ws, dialogs, progress, back, dir.file("x.bin")));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});

    // Cancelling the save dialog stops (declining message 3: see the command line test).
    dialogs.shown.clear();
    form.binFile = bin;
    EXPECT_FALSE(ConvertBinToS3(ws, dialogs, progress, form));
    EXPECT_TRUE(dialogs.shown.empty());

    // An output that is the input (by name, hard link or symbolic link) or the open firmware
    // is refused before message 3 is asked and before anything is created.
    WriteWholeFile(s3, "keep");
    std::filesystem::create_hard_link(s3, dir.file("hard.bin"));
    std::filesystem::create_symlink(s3, dir.file("soft.bin"));
    ASSERT_TRUE(ws.OpenFirmware(bin, dialogs));
    const std::string firmware = ReadWholeFile(bin);
    back.s3File = s3;
    form.binFile = s3;
    for (const std::string& output : {s3, dir.file("hard.bin"), dir.file("soft.bin"), bin}) {
        dialogs.shown.clear();
        dialogs.answers = {true, true};
        EXPECT_FALSE(ConvertS3ToBin(ws, dialogs, progress, back, output)) << output;
        EXPECT_FALSE(ConvertBinToS3(ws, dialogs, progress, form, output)) << output;
        EXPECT_EQ(dialogs.numbers(), (std::vector<int>{-1, -1})) << output;
    }
    EXPECT_EQ(ReadWholeFile(s3), "keep");
    EXPECT_EQ(ReadWholeFile(bin), firmware);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
}

TEST(ExcludeRegionsModel, AddSortDeleteAndPreset) {
    ExcludeRegionsModel model;
    auto add = [&model](const char* start, const char* stop, Dialogs* dialogs = nullptr) {
        model.LEStart = start;
        model.LEStop = stop;
        return model.AddRegion(dialogs);
    };
    auto cells = [&model] {
        std::vector<std::string> out;
        for (size_t i = 0; i < model.rows().size(); ++i)
            out.push_back(model.startCell(i) + "-" + model.stopCell(i));
        return out;
    };
    // A stop below the start and an empty edit add nothing; the edit is written back normalised.
    EXPECT_FALSE(add("4000", "3fff"));
    EXPECT_EQ(model.LEStart, "0x4000");
    EXPECT_FALSE(add("", "10"));
    EXPECT_TRUE(cells().empty());

    EXPECT_TRUE(add("8000", "dfff"));
    EXPECT_TRUE(add("0x2000", "3FFF"));
    EXPECT_TRUE(add("5000", "5000")); // one byte
    EXPECT_EQ(cells(), (std::vector<std::string>{"0x00002000-0x00003FFF", "0x00005000-0x00005000",
                                                 "0x00008000-0x0000DFFF"}));
    model.SelectRow(2);
    EXPECT_EQ(model.LEStart, "0x00008000");
    EXPECT_EQ(model.LEStop, "0x0000DFFF");
    model.DeleteRegion(1);
    EXPECT_EQ(cells(),
              (std::vector<std::string>{"0x00002000-0x00003FFF", "0x00008000-0x0000DFFF"}));

    // More than 32 bits is refused with the conversion error.
    ScriptedDialogs dialogs;
    EXPECT_FALSE(add("123456789", "223456789", &dialogs));
    EXPECT_TRUE(dialogs.showedText());

    // The preset replaces the rows, twice gives the same two rows (Ok storing them: see the
    // command line test); Clear empties them.
    add("1", "2");
    model.LoadPreset(ExcludeRegionsModel::PresetC200);
    model.LoadPreset(ExcludeRegionsModel::PresetC200);
    EXPECT_EQ(cells(),
              (std::vector<std::string>{"0x00002000-0x00003FFF", "0x00008000-0x0000DFFF"}));
    std::vector<AddressRegion> regions = {{1, 2}};
    model.Clear();
    model.Ok(regions);
    EXPECT_TRUE(regions.empty());
}

} // namespace
} // namespace tovallo::testing
