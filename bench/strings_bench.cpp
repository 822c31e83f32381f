// Find Table and Find Free Space over a 64 MiB firmware, each against the same scan written as a
// byte-by-byte loop with one 4096-byte read per search call, measured in the same run.
#include "bench/BenchTiming.h"
#include "fixtures/LiteralScans.h"
#include "fixtures/StringFixtures.h"
#include "resources/FreeSpaceSearch.h"
#include "strings/StringsSession.h"
#include "workspace/Progress.h"

#include <chrono>
#include <cstdio>
#include <functional>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

constexpr uint32_t MiB = 1u << 20;
constexpr uint32_t Size = 64 * MiB;

void report(const char* what, double ours, double literal) {
    const double ratio = literal / ours;
    std::printf("%-16s ours %8.1f ms (%6.0f MB/s)  byte-by-byte %9.1f ms (%5.0f MB/s)  ratio "
                "%6.1fx  %s\n",
                what, ours * 1e3, Size / ours / 1e6, literal * 1e3, Size / literal / 1e6, ratio,
                ratio >= 10 ? "(goal 10x met)" : "(goal 10x MISSED)");
}

// P730: its signature ends in six zero bytes, then 8 MiB of zeros before the entries.
FlashImage tableImage() {
    FlashImage image(PhoneModel::P730, Size, 0);
    FirmwareBuilder noise(Size - 0x400, 0);
    noise.random(0, Size - 0x400, 3);
    image.place(0, noise.str());
    const uint32_t sig = 40 * MiB;
    image.place(sig, PhoneProfile::ForModel(PhoneModel::P730).StringTableSig);
    image.place(sig + 16, std::string(8 * MiB, '\0'));
    const uint32_t entries = sig + 16 + 8 * MiB;
    std::vector<EntryPlan> plans;
    for (uint32_t i = 0; i < 6; ++i)
        plans.push_back(
            {entries + 0x1000 + 0x4000 * i, static_cast<uint16_t>(1011 + 600 * (i / 3))});
    PlaceLanguageEntries(image, entries, plans);
    return image;
}

// Free blocks every 64 KiB between random data, some with broken headers.
FlashImage freeSpaceImage() {
    FlashImage image(PhoneModel::C200, Size, 0);
    FirmwareBuilder noise(Size, 0);
    noise.random(0, Size, 9);
    image.place(0, noise.str());
    for (uint32_t at = 0x100, i = 0; at + 0x200 < Size; at += 64 * 1024, ++i)
        image.placeFreeHeader(at, 0x200, i % 7 == 0 ? 0x300 : 12 + i % 100);
    return image;
}

} // namespace

int main() {
    std::printf("64 MiB firmware; MB/s over the whole image\n");
    {
        OpenedImage img(tableImage());
        StringsSession session;
        size_t ours = 0, literal = 0;
        const double fast = bench::BestSeconds(3, [&] {
            session.FindTable(img.ws, img.dialogs, img.bar);
            ours = session.languages.entries.size();
        });
        const double slow = bench::BestSeconds(1, [&] {
            img.ws.SearchPos = 0;
            if (LiteralFind(img.ws, img.ws.profile.StringTableSig) > 0)
                literal = LiteralScanLanguageEntries(img.ws).entries.size();
        });
        if (ours != literal || ours != 6)
            return std::fprintf(stderr, "Find Table results differ: %zu vs %zu\n", ours, literal),
                   1;
        report("Find Table", fast, slow);
    }
    {
        OpenedImage img(freeSpaceImage());
        FreeRegions ours, literal;
        const double fast = bench::BestSeconds(3, [&] { ScanFreeBlocks(img.ws, img.bar, ours); });
        const double slow = bench::BestSeconds(1, [&] { literal = LiteralScanFreeBlocks(img.ws); });
        if (ours.regions().size() != literal.regions().size() || ours.regions().empty())
            return std::fprintf(stderr, "Find Free Space results differ: %zu vs %zu\n",
                                ours.regions().size(), literal.regions().size()),
                   1;
        report("Find Free Space", fast, slow);
        std::printf("(%zu free blocks)\n", ours.regions().size());
    }
    return 0;
}
