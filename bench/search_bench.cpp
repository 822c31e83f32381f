// Text and link search over a 64 MiB firmware, against a byte-by-byte implementation of the
// same rules and against plain memmem over the same bytes in memory.
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/Workspace.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

constexpr size_t Size = 64u << 20;

double seconds(const std::function<void()>& f) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

// The scan as a plain loop: 4096-byte blocks, a sliding window compared at every byte.
int64_t naiveFind(Workspace& ws, const std::string& pattern) {
    std::vector<uint8_t> block(4096);
    std::string window;
    uint64_t blockStart = ws.SearchPos;
    while (int64_t(ws.FwSize()) - 1 > int64_t(blockStart)) {
        const size_t got = ws.ReadAt(uint32_t(blockStart), 4096, block.data());
        if (got < 1)
            break;
        for (size_t i = 0; i < got; ++i) {
            if (window.size() == pattern.size() && !window.empty())
                window.erase(0, 1);
            window += char(block[i]);
            if (window == pattern) {
                ws.SearchPos = uint32_t(blockStart + i);
                return int64_t(blockStart + i) - int64_t(pattern.size()) + 1;
            }
        }
        blockStart += 4096;
    }
    ws.SearchPos = 0;
    return -1;
}

size_t naiveLinks(Workspace& ws, uint32_t value) {
    std::vector<uint8_t> b(128);
    size_t count = 0;
    for (uint64_t pos = 0; int64_t(ws.FwSize()) - 1 > int64_t(pos); pos += 125) {
        const size_t got = ws.ReadAt(uint32_t(pos), 128, b.data());
        for (size_t i = 0; i + 4 <= got && i < 125; ++i)
            if (uint32_t(b[i] | b[i + 1] << 8 | b[i + 2] << 16 | uint32_t(b[i + 3]) << 24) == value)
                ++count;
    }
    return count;
}

void report(const char* what, double ours, double naive, double plain) {
    std::printf("%-34s ours %7.1f ms (%6.0f MB/s)  byte-by-byte %8.1f ms  ratio %5.1fx", what,
                ours * 1e3, Size / ours / 1e6, naive * 1e3, naive / ours);
    if (plain > 0)
        std::printf("  memmem %6.1f ms  ours/memmem %4.2f", plain * 1e3, ours / plain);
    std::printf("\n");
}

} // namespace

int main() {
    ScratchDir dir;
    FirmwareBuilder fw(Size, 0);
    fw.random(0, Size / 2, 7); // half random data, half erased-looking zeros with markers
    for (uint32_t at = Size / 2; at + 16 < Size; at += 997)
        fw.place(at, "zQKV");
    const std::string path = fw.write(dir.file("fw.bin"));
    const std::string bytes = fw.str();
    fw = FirmwareBuilder(1);

    Workspace ws;
    ScriptedDialogs dialogs;
    if (!ws.OpenFirmware(path, dialogs)) {
        std::fprintf(stderr, "cannot open the benchmark firmware\n");
        return 1;
    }
    NullProgress bar;
    const std::string absent = "FONT_SPACE";
    const std::string many = "zQKV";

    int64_t r1 = 0, r2 = 0;
    const double oursAbsent = seconds([&] { r1 = FindInFirmware(ws, absent, true, bar); });
    const double naiveAbsent = seconds([&] {
        ws.SearchPos = 0;
        r2 = naiveFind(ws, absent);
    });
    const double plainAbsent = seconds([&] {
        const void* volatile p = memmem(bytes.data(), bytes.size(), absent.data(), absent.size());
        (void)p;
    });
    if (r1 != r2)
        return std::fprintf(stderr, "results differ\n"), 1;
    report("FindInFirmware, absent pattern", oursAbsent, naiveAbsent, plainAbsent);

    size_t n1 = 0, n2 = 0;
    const double oursMany = seconds([&] {
        n1 = 0;
        for (int64_t at = FindInFirmware(ws, many, true, bar); at >= 0;
             at = FindInFirmware(ws, many, false, bar))
            ++n1;
    });
    const double naiveMany = seconds([&] {
        n2 = 0;
        ws.SearchPos = 0;
        while (naiveFind(ws, many) >= 0)
            ++n2;
    });
    const double plainMany = seconds([&] {
        size_t n = 0;
        for (const char* p = bytes.data();
             (p = static_cast<const char*>(
                  memmem(p, bytes.data() + bytes.size() - p, many.data(), many.size())));
             ++p)
            ++n;
        if (n != n2)
            std::fprintf(stderr, "memmem count differs\n");
    });
    if (n1 != n2)
        return std::fprintf(stderr, "match counts differ: %zu vs %zu\n", n1, n2), 1;
    report("FindInFirmware, every match", oursMany, naiveMany, plainMany);

    size_t l1 = 0, l2 = 0;
    const uint32_t link = 0x564B517A; // "zQKV" read as a link value
    const double oursLinks = seconds([&] { l1 = FindLinks(ws, link, bar, 1u << 30, 0).size(); });
    const double naiveLinksTime = seconds([&] { l2 = naiveLinks(ws, link); });
    if (l1 != l2)
        return std::fprintf(stderr, "link counts differ: %zu vs %zu\n", l1, l2), 1;
    report("FindLinks", oursLinks, naiveLinksTime, plainMany);
    std::printf("(%zu matches, %zu links; goals: ratio >= 10x, ours/memmem <= 2)\n", n1, l1);
    return 0;
}
