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

TEST(ImageLinks, FindsLinksAndQueuesAddressAndDimensionChanges) {
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
    fw.dialogs.shown.clear();
    auto queue = [&](const char* newDim, size_t from, bool yes) {
        dialog.NewDim = newDim;
        fw.dialogs.answers = {yes};
        fw.ws.changes.LinkChanges.clear();
        return QueueLinkChanges(fw.ws, dialog, from, 1, table, 0, fw.dialogs);
    };

    // No to message 18 changes nothing.
    dialog.NewAddr = "0x0000 9000";
    EXPECT_FALSE(queue("128*160", 0, false));
    EXPECT_EQ(fw.dialogs.numbers(), std::vector<int>{18});
    EXPECT_TRUE(fw.ws.changes.LinkChanges.empty());
    // Unchanged dimension: prefix 0 for both links, the row keeps its dimension.
    ASSERT_TRUE(queue("128*160", 0, true));
    const std::vector<Links_>& links = fw.ws.changes.LinkChanges;
    ASSERT_EQ(links.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(std::tuple(links[i].Addr, links[i].Value, links[i].Prefix),
                  std::tuple(0x104u + 0x100 * i, 0x9000u, 0u));
    EXPECT_EQ(table[0].Address, "0x00009000");
    EXPECT_EQ(table[0].Dimension, "1*1");
    // A new dimension: prefix width + height * 65536, and the row shows it.
    ASSERT_TRUE(queue("176 * 208", 1, true));
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].Addr, 0x204u);
    EXPECT_EQ(links[0].Prefix, 13631664u);
    EXPECT_EQ(table[0].Dimension, "176*208");

    // "176x208" loses its x and cannot be converted: reported, nothing queued.
    fw.dialogs.shown.clear();
    for (const char* bad : {"176x208", "*208", "70000*1"}) {
        EXPECT_FALSE(queue(bad, 0, true)) << bad;
        EXPECT_TRUE(fw.dialogs.showedText()) << bad;
        EXPECT_TRUE(links.empty()) << bad;
    }
    // No links found: nothing to queue.
    LinkDialog none;
    none.OldAddr = "0x00000900";
    FindImageLinks(fw.ws, none, bar, fw.dialogs);
    EXPECT_TRUE(none.Finded.empty());
    EXPECT_FALSE(QueueLinkChanges(fw.ws, none, 0, 0, table, 0, fw.dialogs));
}

TEST(ImageLinks, ALinkWhoseDimensionWouldFallBeforeTheFirmwareQueuesNothing) {
    FirmwareBuilder b = linkedFirmware();
    b.placeU32(0, 0x800); // a link at offset 0 has no room for its dimension in front
    OpenedFirmware fw(b);
    ImageTable table = {{"Logo", "0x00000800", "100", "1*1", "16*", "09"}};
    LinkDialog dialog;
    ASSERT_TRUE(OpenLinkDialog(dialog, table, 0));
    RecordingProgress bar;
    FindImageLinks(fw.ws, dialog, bar, fw.dialogs);
    ASSERT_EQ(dialog.Finded, (std::vector<uint32_t>{0, 0x104, 0x204}));
    dialog.NewDim = "10*10";
    fw.dialogs.shown.clear();
    fw.dialogs.answers = {true};
    EXPECT_FALSE(QueueLinkChanges(fw.ws, dialog, 0, 2, table, 0, fw.dialogs));
    EXPECT_EQ(fw.dialogs.numbers(), (std::vector<int>{18, -1}));
    EXPECT_TRUE(fw.ws.changes.LinkChanges.empty());
    EXPECT_EQ(table[0].Address, "0x00000800");
    // Without a new dimension the same link is only its address word, which fits.
    dialog.NewDim = dialog.OldDim;
    fw.dialogs.answers = {true};
    EXPECT_TRUE(QueueLinkChanges(fw.ws, dialog, 0, 2, table, 0, fw.dialogs));
    EXPECT_EQ(fw.ws.changes.LinkChanges.size(), 3u);
}

} // namespace
} // namespace tovallo
