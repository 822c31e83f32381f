// BIN to S3 and S3 to BIN of a 32 MiB file, against srec_cat doing the same conversions in the
// same run. Prints the times and the ratios (srec_cat time / our time; the goal is 10 or more).
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "srecord/S3Converter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

constexpr size_t FileSize = 32u << 20;
constexpr int Rounds = 3;

// The best of a few runs, in seconds.
double BestTime(const std::function<bool()>& run) {
    double best = 1e30;
    for (int i = 0; i < Rounds; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!run())
            return -1;
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        best = std::min(best, d.count());
    }
    return best;
}

bool Shell(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

void Report(const char* what, double ours, double theirs) {
    const double ratio = theirs / ours;
    std::printf("%-12s ours %7.3f s   srec_cat %7.3f s   ratio %5.2fx  %s\n", what, ours, theirs,
                ratio, ratio >= 10.0 ? "(goal met)" : "(below the 10x goal)");
}

} // namespace

int main() {
    if (!Shell("srec_cat -VERSion >/dev/null")) {
        std::puts("srecord_bench: srec_cat is not installed (Debian package srecord); skipped");
        return 0;
    }
    ScratchDir dir;
    const std::string bin = dir.file("fw.bin"), ours = dir.file("ours.s3"),
                      theirs = dir.file("theirs.s3"), back = dir.file("back.bin"),
                      theirsBack = dir.file("theirs.bin");
    const std::string bytes = FirmwareBuilder(FileSize).random(0, FileSize, 42).str();
    WriteWholeFile(bin, bytes);

    ScriptedDialogs dialogs;
    S3Converter converter(dialogs);
    NullProgress progress;

    const double oursToS3 = BestTime([&] {
        OutputFile out = OutputFile::Create(ours);
        return converter.BinToS3(bin, out, 0, 0, true, {}, progress) && out.commit();
    });
    const double theirsToS3 = BestTime([&] {
        return Shell("srec_cat '" + bin + "' -binary -o '" + theirs +
                     "' -Motorola -Address_Length 4 -Output_Block_Size 16");
    });
    // Both read the same S3 file: ours.
    const double oursToBin =
        BestTime([&] { return converter.S3ToBin(ours, back, true, true, progress); });
    const double theirsToBin = BestTime(
        [&] { return Shell("srec_cat '" + ours + "' -Motorola -o '" + theirsBack + "' -binary"); });

    if (oursToS3 < 0 || theirsToS3 < 0 || oursToBin < 0 || theirsToBin < 0) {
        std::puts("srecord_bench: a conversion failed");
        return 1;
    }
    // srec_cat must accept our S3 output and both must give back the original bytes.
    const bool accepted = ReadWholeFile(theirsBack) == bytes && ReadWholeFile(back) == bytes;
    std::printf("32 MiB BIN, S3 records of 16 bytes, best of %d runs\n", Rounds);
    Report("BIN -> S3", oursToS3, theirsToS3);
    Report("S3 -> BIN", oursToBin, theirsToBin);
    std::printf("srec_cat reads our S3 output back to the same bytes: %s\n",
                accepted ? "yes" : "NO");
    return accepted ? 0 : 1;
}
