#include "ImagesTestSupport.h"
#include "images/ImageLinks.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::FirmwareBuilder;

// A picture at 0x800 linked from two table entries (128*160 and 64*64).
FirmwareBuilder linkedFirmware() {
    FirmwareBuilder b(0x1000, 0x00);
    b.placeU16(0x100, 128).placeU16(0x102, 160).placeU32(0x104, 0x800);
    b.placeU16(0x200, 64).placeU16(0x202, 64).placeU32(0x204, 0x800);
    return b;
}

// The link dialog opened on the picture's row.
struct Links {
    testing::OpenedFirmware fw;
    ImageTable table = {{"Logo", "0x00000800", "100", "1*1", "16*", "09"}};
    LinkDialog dialog;
    testing::RecordingProgress bar;
    const std::vector<Links_>& queued = fw.ws.changes.LinkChanges;

    explicit Links(const FirmwareBuilder& b) : fw(b) {
        EXPECT_TRUE(OpenLinkDialog(dialog, table, 0));
    }
    void find() { FindImageLinks(fw.ws, dialog, bar, fw.dialogs); }
    // Queues the found links `from` to `to` with `newDim`, answering message 18 with `yes`.
    bool queue(const std::string& newDim, size_t from, size_t to, bool yes) {
        dialog.NewDim = newDim;
        fw.dialogs.shown.clear();
        fw.dialogs.answers = {yes};
        fw.ws.changes.LinkChanges.clear();
        return QueueLinkChanges(fw.ws, dialog, from, to, table, 0, fw.dialogs);
    }
};

TEST(ImageLinks, FindsLinksAndQueuesAddressAndDimensionChanges) {
    Links l(linkedFirmware());
    EXPECT_EQ(l.dialog.NewAddr, "0x00000800");
    EXPECT_EQ(l.dialog.OldDim, "1*1");
    l.find();
    EXPECT_EQ(l.dialog.Finded, (std::vector<uint32_t>{0x104, 0x204}));
    EXPECT_EQ(l.dialog.OldDim, "128*160") << "from the firmware, not the row";
    EXPECT_EQ(l.fw.dialogs.numbers(), std::vector<int>{8});

    // No to message 18 changes nothing.
    l.dialog.NewAddr = "0x0000 9000";
    EXPECT_FALSE(l.queue("128*160", 0, 1, false));
    EXPECT_EQ(l.fw.dialogs.numbers(), std::vector<int>{18});
    EXPECT_TRUE(l.queued.empty());
    // Unchanged dimension: prefix 0 for both links, the row keeps its dimension.
    ASSERT_TRUE(l.queue("128*160", 0, 1, true));
    ASSERT_EQ(l.queued.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(std::tuple(l.queued[i].Addr, l.queued[i].Value, l.queued[i].Prefix),
                  std::tuple(0x104u + 0x100 * i, 0x9000u, 0u));
    EXPECT_EQ(l.table[0].Address, "0x00009000");
    EXPECT_EQ(l.table[0].Dimension, "1*1");
    // A new dimension: prefix width + height * 65536, and the row shows it.
    ASSERT_TRUE(l.queue("176 * 208", 1, 1, true));
    ASSERT_EQ(l.queued.size(), 1u);
    EXPECT_EQ(std::pair(l.queued[0].Addr, l.queued[0].Prefix), std::pair(0x204u, 13631664u));
    EXPECT_EQ(l.table[0].Dimension, "176*208");

    // "176x208" loses its x and cannot be converted: reported, nothing queued.
    for (const char* bad : {"176x208", "*208", "70000*1"}) {
        EXPECT_FALSE(l.queue(bad, 0, 1, true)) << bad;
        EXPECT_TRUE(l.fw.dialogs.showedText()) << bad;
        EXPECT_TRUE(l.queued.empty()) << bad;
    }
    // No links found: nothing to queue.
    LinkDialog none;
    none.OldAddr = "0x00000900";
    FindImageLinks(l.fw.ws, none, l.bar, l.fw.dialogs);
    EXPECT_TRUE(none.Finded.empty());
    EXPECT_FALSE(QueueLinkChanges(l.fw.ws, none, 0, 0, l.table, 0, l.fw.dialogs));
}

TEST(ImageLinks, ALinkWhoseDimensionWouldFallBeforeTheFirmwareQueuesNothing) {
    Links l(linkedFirmware().placeU32(0, 0x800)); // no room for a dimension in front of it
    l.find();
    ASSERT_EQ(l.dialog.Finded, (std::vector<uint32_t>{0, 0x104, 0x204}));
    EXPECT_FALSE(l.queue("10*10", 0, 2, true));
    EXPECT_EQ(l.fw.dialogs.numbers(), (std::vector<int>{18, -1}));
    EXPECT_TRUE(l.queued.empty());
    EXPECT_EQ(l.table[0].Address, "0x00000800");
    // Without a new dimension the same link is only its address word, which fits.
    EXPECT_TRUE(l.queue(l.dialog.OldDim, 0, 2, true));
    EXPECT_EQ(l.queued.size(), 3u);
}

} // namespace
} // namespace tovallo
