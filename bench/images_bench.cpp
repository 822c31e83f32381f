// Picture encoder and "09" scan speed against literal implementations measured in the same run.

#include "fixtures/FirmwareBuilder.h"
#include "fixtures/PictureFixtures.h"
#include "fixtures/ScriptedDialogs.h"
#include "images/Find09.h"
#include "images/Image09Encoder.h"
#include "workspace/Workspace.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <vector>

using namespace tovallo;

namespace {

double secondsOf(const std::function<void()>& work, int repeats = 1) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

Picture pictureOfColours(int colourCount, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Rgb24> colours;
    for (int i = 0; i < colourCount; ++i)
        colours.push_back(Rgb565ToColor(static_cast<Rgb565>(i * 3 + 7)));
    Picture p(320, 240);
    for (size_t i = 0; i < p.Pixels.size();) {
        const Rgb24 c = colours[rng() % colours.size()];
        for (size_t run = 1 + rng() % 2; run > 0 && i < p.Pixels.size(); --run)
            p.Pixels[i++] = c;
    }
    return p;
}

bool benchEncoder(const char* what, const Picture& p, double goal) {
    std::set<Rgb24> distinct(p.Pixels.begin(), p.Pixels.end());
    std::string ours, literal;
    const double fast = secondsOf([&] { ours = EncodeImage09(p, 0, false, 0x0001); }, 5);
    const double slow = secondsOf([&] { literal = testing::LiteralEncodeImage09(p, 0, false, 1); });
    const bool same = ours == literal;
    std::printf("encode 320x240, %s (%zu colours): literal %.3f s, ours %.4f s, ratio %.0fx%s%s\n",
                what, distinct.size(), slow, fast, slow / fast,
                goal > 0 ? (slow / fast >= goal ? " (goal met)" : " (goal NOT met)") : "",
                same ? "" : " OUTPUT DIFFERS");
    return same;
}

// The scan as the window's loop runs it: 128-byte reads stepping by 127, then one palette
// read per candidate.
std::vector<uint32_t> literalFind09(Workspace& ws) {
    const int64_t size = ws.FwSize();
    std::vector<std::pair<uint32_t, unsigned>> candidates;
    uint8_t block[128];
    for (int64_t s = 0; s < size - 1; s += 127) {
        const size_t got = ws.ReadAt(static_cast<uint32_t>(s), 128, block);
        for (size_t i = 0; i < 127 && i + 1 < got; ++i)
            if (block[i] == 0x09 && block[i + 1] >= 1 && block[i + 1] <= 127)
                candidates.emplace_back(static_cast<uint32_t>(s + i), block[i + 1]);
    }
    std::vector<uint32_t> listed;
    uint64_t end = 0;
    uint8_t palette[258];
    for (const auto& [address, count] : candidates) {
        if (address + 2ull <= end)
            continue;
        end = address + 2ull + 2 * count;
        if (end > static_cast<uint64_t>(size))
            continue;
        const size_t got = ws.ReadAt(address + 2, 2 * count + 2, palette);
        bool reject = false;
        for (unsigned j = 0; j < count && j + 3 < got; ++j)
            reject = reject || (palette[j] == palette[j + 2] && palette[j + 1] == palette[j + 3]);
        if (!reject)
            listed.push_back(address);
    }
    return listed;
}

bool benchFind09() {
    testing::ScratchDir dir;
    const size_t size = 64u << 20;
    {
        std::mt19937 rng(42);
        std::vector<uint32_t> words(size / 4);
        for (uint32_t& w : words)
            w = rng();
        std::ofstream out(dir.file("fw.bin"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(size));
    }
    Workspace ws;
    testing::ScriptedDialogs dialogs;
    if (!ws.OpenFirmware(dir.file("fw.bin"), dialogs, false)) {
        std::printf("find09: cannot open the scratch firmware\n");
        return false;
    }
    NullProgress bar;
    std::vector<uint32_t> ours, literal;
    const double fast = secondsOf(
        [&] {
            ours.clear();
            for (const FoundPicture& p : FindImages09(ws, 0, bar, dialogs).pictures)
                ours.push_back(p.Address);
        },
        3);
    const double slow = secondsOf([&] { literal = literalFind09(ws); });
    const bool same = ours == literal;
    std::printf("find09 over 64 MiB (%zu listed): literal %.3f s, ours %.3f s, ratio %.1fx%s\n",
                ours.size(), slow, fast, slow / fast, same ? "" : " OUTPUT DIFFERS");
    return same;
}

} // namespace

int main() {
    bool ok = benchEncoder("many colours", pictureOfColours(23000, 1), 50);
    ok = benchEncoder("100 colours", pictureOfColours(100, 2), 0) && ok;
    ok = benchFind09() && ok;
    return ok ? 0 : 1;
}
