#include "fixtures/LiteralScans.h"
#include "fixtures/StringFixtures.h"
#include "resources/FreeRegions.h"
#include "resources/FreeSpaceSearch.h"
#include "workspace/MessageNumbers.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::FlashImage;
using testing::OpenedImage;

std::vector<uint32_t> startsOf(const FreeRegions& regions) {
    std::vector<uint32_t> out;
    for (const FreeRegion& r : regions.regions())
        out.push_back(r.Start);
    return out;
}

TEST(FreeRegions, ReserveTakeAndReleaseAreListOperations) {
    FreeRegions regions;
    regions.add({0x1000, 100, 12, 0});
    regions.add({0x2000, 40, 12, 0});
    EXPECT_EQ(regions.ReserveFree(60), 0x1000u);
    EXPECT_EQ(regions.ReserveFree(60), 0u) << "28 bytes left in each";
    EXPECT_EQ(regions.ReserveFree(20), 0x1000u);
    EXPECT_EQ(regions.ReserveFree(20), 0x2000u);
    EXPECT_EQ(regions.ReserveFree(9), 0u);

    // Reservations are handed out from Used on, each once.
    EXPECT_EQ(regions.TakeReserved(0x2000, 20), 0x2000u + 12);
    EXPECT_EQ(regions.TakeReserved(0x2000, 20), 0u);
    EXPECT_EQ(regions.find(0x2000)->Used, 32);
    EXPECT_EQ(regions.find(0x2000)->Reserved, 0);
    EXPECT_EQ(regions.TakeReserved(0x1000, 60), 0x1000u + 12);
    EXPECT_EQ(regions.TakeReserved(0x1000, 20), 0x1000u + 72);
    EXPECT_EQ(regions.TakeReserved(0x3000, 1), 0u) << "no such region";

    // A release larger than the promise changes nothing.
    EXPECT_EQ(regions.ReserveFree(5), 0x1000u);
    EXPECT_FALSE(regions.ReleaseReserved(0x1000, 6));
    EXPECT_EQ(regions.find(0x1000)->Reserved, 5);
    EXPECT_TRUE(regions.ReleaseReserved(0x1000, 5));
    EXPECT_FALSE(regions.ReleaseReserved(0x1000, 1));

    FreeRegions empty;
    empty.add({0x4000, 0, 0, 0});
    EXPECT_EQ(empty.ReserveFree(0), 0u) << "a region of size 0 is never chosen";
}

TEST(FreeMemoryStatus, TotalsInMessage47WithoutItsZeroByte) {
    FreeRegions regions;
    regions.add({0x1000, 100, 12, 0});
    regions.add({0x2000, 40, 12, 0});
    regions.ReserveFree(30);
    const Messages messages;
    EXPECT_EQ(FreeMemoryStatusText(regions, messages),
              "Total Memory: 140 byte In 2 memory Regions. Free Memory: 116 byte.");
    EXPECT_EQ(FreeMemoryStatusText(FreeRegions(), messages),
              "Total Memory: 0 byte In 0 memory Regions. Free Memory: 0 byte.");
    Messages translated;
    translated.replace(msg::MemoryStatus, "%3 / %2 / %1 / %1");
    EXPECT_EQ(FreeMemoryStatusText(regions, translated), "2 / 116 / 140 / %1")
        << "each placeholder is replaced once";
}

TEST(FindFreeSpace, TakesSoundHeadersOnAllModels) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        const auto fw = testing::BuildStringFirmware(model);
        OpenedImage img(fw.image);
        FreeRegions regions;
        regions.add({0x10, 100, 12, 0});
        EXPECT_FALSE(FindFreeSpace(img.ws, img.dialogs, img.bar, regions));
        EXPECT_EQ(startsOf(regions), std::vector<uint32_t>{0x10}) << "No keeps the list";

        img.dialogs.answers = {true};
        img.ws.SearchPos = 0x123;
        ASSERT_TRUE(FindFreeSpace(img.ws, img.dialogs, img.bar, regions));
        EXPECT_EQ(img.dialogs.numbers(),
                  (std::vector<int>{msg::ClearAllocatedMemory, msg::ClearAllocatedMemory}));
        // The marker at offset 0 and the broken headers are passed over.
        EXPECT_EQ(startsOf(regions), std::vector<uint32_t>{fw.freeBlock});
        EXPECT_EQ(regions.regions()[0].Size, 0x200);
        EXPECT_EQ(regions.regions()[0].Used, 12);
        EXPECT_EQ(img.ws.SearchPos, 0u);
        EXPECT_EQ(img.bar.maximum, int((img.ws.FwSize() - fw.image.base()) / 4096 + 1));
    }
}

TEST(FindFreeSpace, HeaderChecksAndBlocksAcrossChunks) {
    constexpr uint32_t MiB = 1u << 20;
    FlashImage image(PhoneModel::C200, 2 * MiB + 0x100, 0x00);
    image.placeFreeHeader(0, 0x40, 12);                     // at offset 0: skipped
    image.placeFreeHeader(0x100, 0x20, 0x20);               // full: taken
    image.placeFreeHeader(0x200, 0x20, 11);                 // Used inside the header
    image.placeFreeHeader(0x300, 0x20, 0x21);               // Used above Size
    image.placeFreeHeader(0x2000, 0x40, 12);                // taken, and so is
    image.placeFreeHeader(0x2010, 0x20, 12);                // the block inside it
    image.placeFreeHeader(MiB - 8, 0x40, 12);               // header runs into the next chunk
    image.placeFreeHeader(2 * MiB - 2, 0x40, 12);           // marker straddles two chunks
    image.placeFreeHeader(2 * MiB + 0x80, 0x80, 12);        // ends with the firmware: taken
    image.placeFreeHeader(2 * MiB + 0x40, 0x41 + 0x80, 12); // one byte past it
    image.place(2 * MiB + 0xFC, "zQKV");                    // header cut by the end
    OpenedImage img(image);
    FreeRegions regions;
    ScanFreeBlocks(img.ws, img.bar, regions);
    EXPECT_EQ(startsOf(regions),
              (std::vector<uint32_t>{0x100, 0x2000, 0x2010, MiB - 8, 2 * MiB - 2, 2 * MiB + 0x80}));
    EXPECT_EQ(startsOf(regions), startsOf(testing::LiteralScanFreeBlocks(img.ws)));

    // A Stop pending before the scan ends it after one block.
    img.ws.SearchStop = true;
    ScanFreeBlocks(img.ws, img.bar, regions);
    EXPECT_EQ(startsOf(regions), std::vector<uint32_t>{0x100});
    EXPECT_FALSE(img.ws.SearchStop);
}

} // namespace
} // namespace tovallo
