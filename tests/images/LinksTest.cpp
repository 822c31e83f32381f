#include "ImagesTestSupport.h"
#include "images/ImageLinks.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::FirmwareBuilder;
using testing::OpenedFirmware;
using testing::RecordingProgress;

// A picture at 0x800 linked from two table entries (128*160 and 64*64) and a loose word.
FirmwareBuilder linkedFirmware() {
    FirmwareBuilder b(0x1000, 0x00);
    b.placeU16(0x100, 128).placeU16(0x102, 160).placeU32(0x104, 0x800);
    b.placeU16(0x200, 64).placeU16(0x202, 64).placeU32(0x204, 0x800);
    return b;
}

TEST(ImageLinks, FindsLinksAndTheDimensionInFrontOfTheFirst) {
    OpenedFirmware fw(linkedFirmware());
    ImageTable table = {{"Logo", "0x00000800", "100", "1*1", "16*", "09"}};
    LinkDialog dialog;
    ASSERT_TRUE(OpenLinkDialog(dialog, table, 0));
    EXPECT_EQ(dialog.NewAddr, "0x00000800");
    EXPECT_EQ(dialog.OldDim, "1*1");
    RecordingProgress bar;
    FindImageLinks(fw.ws, dialog, bar, fw.dialogs);
    EXPECT_EQ(dialog.Finded, (std::vector<uint32_t>{0x104, 0x204}));
    EXPECT_EQ(dialog.OldDim, "128*160"); // from the firmware, not the row
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{8});

    LinkDialog none;
    none.OldAddr = "0x00000900";
    FindImageLinks(fw.ws, none, bar, fw.dialogs);
    EXPECT_TRUE(none.Finded.empty());
    EXPECT_FALSE(QueueLinkChanges(fw.ws, none, 0, 0, table, 0, fw.dialogs));
}

TEST(ImageLinks, QueuesAddressAndDimensionChanges) {
    OpenedFirmware fw(linkedFirmware());
    ImageTable table = {{"Logo", "0x00000800", "100", "128*160", "16*", "09"}};
    LinkDialog dialog;
    ASSERT_TRUE(OpenLinkDialog(dialog, table, 0));
    RecordingProgress bar;
    FindImageLinks(fw.ws, dialog, bar, fw.dialogs);
    fw.dialogs.shown.clear();

    // No to message 18 changes nothing.
    dialog.NewAddr = "0x0000 9000";
    EXPECT_FALSE(QueueLinkChanges(fw.ws, dialog, 0, 1, table, 0, fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{18});
    EXPECT_TRUE(fw.ws.changes.LinkChanges.empty());

    // Unchanged dimension: prefix 0 for both links.
    fw.dialogs.answers = {true};
    ASSERT_TRUE(QueueLinkChanges(fw.ws, dialog, 0, 1, table, 0, fw.dialogs));
    ASSERT_EQ(fw.ws.changes.LinkChanges.size(), 2u);
    for (const Links_& l : fw.ws.changes.LinkChanges) {
        EXPECT_EQ(l.Value, 0x9000u);
        EXPECT_EQ(l.Prefix, 0u);
    }
    EXPECT_EQ(fw.ws.changes.LinkChanges[1].Addr, 0x204u);
    EXPECT_EQ(table[0].Address, "0x00009000");
    EXPECT_EQ(table[0].Dimension, "128*160");

    // A new dimension: prefix width + height * 65536, and the row shows it.
    fw.ws.changes.LinkChanges.clear();
    dialog.NewDim = "176 * 208";
    fw.dialogs.answers = {true};
    ASSERT_TRUE(QueueLinkChanges(fw.ws, dialog, 1, 1, table, 0, fw.dialogs));
    ASSERT_EQ(fw.ws.changes.LinkChanges.size(), 1u);
    EXPECT_EQ(fw.ws.changes.LinkChanges[0].Addr, 0x204u);
    EXPECT_EQ(fw.ws.changes.LinkChanges[0].Prefix, 13631664u);
    EXPECT_EQ(table[0].Dimension, "176*208");

    // "176x208" loses its x and cannot be converted: reported, nothing queued.
    fw.ws.changes.LinkChanges.clear();
    fw.dialogs.shown.clear();
    for (const char* bad : {"176x208", "*208", "70000*1"}) {
        dialog.NewDim = bad;
        fw.dialogs.answers = {true};
        EXPECT_FALSE(QueueLinkChanges(fw.ws, dialog, 0, 1, table, 0, fw.dialogs)) << bad;
        EXPECT_TRUE(fw.dialogs.showedText()) << bad;
        EXPECT_TRUE(fw.ws.changes.LinkChanges.empty()) << bad;
    }
}

} // namespace
} // namespace tovallo
