// The survey's search for the four tables of each phone model over 64 MiB of firmware-like data:
// FindAnyInFirmware against FindInFirmware run once per pattern and against the byte-by-byte
// loop, all in the same run and with equal results.
#include "bench/BenchTiming.h"
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/LiteralScans.h"
#include "fixtures/ScriptedDialogs.h"
#include "resources/survey/ResourceSurvey.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/MultiPatternSearch.h"
#include "workspace/Workspace.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

constexpr uint32_t MiB = 1u << 20;
constexpr uint32_t Size = 64 * MiB;

// Segments of random code, erased flash, zero filling, NUL-ended interface texts (some of them
// beginning like the Java marker) and 16-bit pixel gradients, in random order and length.
std::string firmwareLike(size_t size) {
    static const char* const words[] = {
        "Menu",     "Settings", "Call", "Back",   "Options",        "OK",
        "Messages", "Alarm",    "1200", "Camera", "e:\\S100\\data", "e:\\S100\\#Game#Game.jar",
        "ringtone"};
    std::mt19937 rng(2024);
    std::string out;
    out.reserve(size);
    while (out.size() < size) {
        const size_t length = 256 + rng() % 32768;
        const unsigned kind = rng() % 20;
        if (kind < 9) {
            for (size_t i = 0; i < length; ++i)
                out += static_cast<char>(rng() & 0xFF);
        } else if (kind < 12) {
            out.append(length, '\xFF');
        } else if (kind < 15) {
            out.append(length, '\0');
        } else if (kind < 18) {
            for (size_t n = 0; n < length / 8; ++n)
                out += std::string(words[rng() % std::size(words)]) + '\0';
        } else {
            for (size_t i = 0; i < length / 2; ++i) {
                const auto pixel = static_cast<uint16_t>(i * 7 + (rng() & 3));
                out += static_cast<char>(pixel & 0xFF);
                out += static_cast<char>(pixel >> 8);
            }
        }
    }
    out.resize(size);
    return out;
}

std::vector<std::string> patternsOf(PhoneModel model) {
    const auto all = SurveyPatterns(PhoneProfile::ForModel(model));
    return {all.begin(), all.end()};
}

} // namespace

int main() {
    ScratchDir dir;
    std::string bytes = firmwareLike(Size);
    // Every model's tables lie in the last 4 MiB, so each search reads nearly the whole file; the
    // Java marker, the same for all models, comes last.
    for (size_t m = 0; m < AllPhoneModels.size(); ++m) {
        const auto patterns = patternsOf(AllPhoneModels[m]);
        for (size_t k = 0; k < 3; ++k)
            bytes.replace(Size - 4 * MiB + (m * 3 + (2 - k)) * 0x20000 + 17, patterns[k].size(),
                          patterns[k]);
    }
    const std::string marker = PhoneProfile::ForModel(PhoneModel::C200).JavaTableMarker;
    bytes.replace(Size - 0x10000, marker.size(), marker);
    const std::string path = dir.file("fw.bin");
    WriteWholeFile(path, bytes);
    bytes.clear();

    Workspace ws;
    ScriptedDialogs dialogs;
    if (!ws.OpenFirmware(path, dialogs)) {
        std::fprintf(stderr, "cannot open the benchmark firmware\n");
        return 1;
    }
    NullProgress bar;
    double worstLoop = 1e9, worstPasses = 1e9;
    for (PhoneModel model : AllPhoneModels) {
        const auto patterns = patternsOf(model);
        AnyMatch ours;
        const double oursTime =
            bench::BestSeconds(5, [&] { ours = FindAnyInFirmware(ws, patterns, 0, bar); });

        AnyMatch passes;
        const double passesTime = bench::BestSeconds(3, [&] {
            passes = {};
            for (size_t k = 0; k < patterns.size(); ++k) {
                const int64_t at = FindInFirmware(ws, patterns[k], true, bar);
                if (at >= 0 && (!passes.found() || at < passes.Offset))
                    passes = {at, static_cast<int>(k)};
            }
        });

        LiteralAnyMatch literal;
        const double loopTime =
            bench::BestSeconds(1, [&] { literal = LiteralFindAny(ws, patterns, 0); });

        if (ours != passes || ours.Offset != literal.offset || ours.Index != literal.index) {
            std::fprintf(stderr, "%s: results differ: %lld/%d, %lld/%d, %lld/%d\n",
                         ModelCliName(model).c_str(), static_cast<long long>(ours.Offset),
                         ours.Index, static_cast<long long>(passes.Offset), passes.Index,
                         static_cast<long long>(literal.offset), literal.index);
            return 1;
        }
        const double vsLoop = loopTime / oursTime, vsPasses = passesTime / oursTime;
        worstLoop = std::min(worstLoop, vsLoop);
        worstPasses = std::min(worstPasses, vsPasses);
        std::printf(
            "%-5s match 0x%08llX/%d  find-any %6.1f ms (%5.0f MB/s)  per-pattern passes "
            "%6.1f ms  byte loop %7.1f ms  ratios: %5.1fx the byte loop, %4.2fx the passes\n",
            ModelCliName(model).c_str(), static_cast<unsigned long long>(ours.Offset), ours.Index,
            oursTime * 1e3, Size / oursTime / 1e6, passesTime * 1e3, loopTime * 1e3, vsLoop,
            vsPasses);
    }
    std::printf("worst ratios: %.1fx the byte loop (goal 10x %s), %.2fx the per-pattern passes "
                "(goal 1.5x %s)\n",
                worstLoop, worstLoop >= 10 ? "met" : "MISSED", worstPasses,
                worstPasses >= 1.5 ? "met" : "MISSED");
    return 0;
}
