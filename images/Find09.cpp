#include "images/Find09.h"

#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tovallo {

namespace {

// The window's scan tests 127 offsets a block; the candidate limit is checked after each such
// block, so a block that crosses the limit is still kept whole.
constexpr uint64_t TestedPerBlock = 127;
constexpr size_t ChunkSize = 1 << 20;
// Bytes past a chunk that a candidate at its last offset may need: its count byte, a palette of
// 127 colours and the two bytes the palette check compares beyond a short palette.
constexpr size_t ChunkTail = 2 + 2 * 127 + 2;

class PaletteChecker {
  public:
    explicit PaletteChecker(uint64_t fileSize) : fileSize_(fileSize) {}

    // `at` points at the candidate's 0x09 byte in a buffer that holds the file's bytes from
    // `address` on as far as ChunkTail past it (or to the end of the file).
    bool accept(uint64_t address, const uint8_t* at) {
        if (address + 2 <= paletteEnd_)
            return false; // inside the palette of an earlier candidate
        const unsigned count = at[1];
        paletteEnd_ = address + 2 + 2 * count;
        // A palette that reaches past the end of the file cannot be a picture's.
        if (paletteEnd_ > fileSize_)
            return false;
        const uint8_t* palette = at + 2;
        for (unsigned j = 0; j < count; ++j) {
            // For palettes of one and two colours the window reaches past the palette into the
            // bytes that follow it in the firmware; past the end of the file nothing matches.
            if (address + 2 + j + 3 >= fileSize_)
                break;
            if (palette[j] == palette[j + 2] && palette[j + 1] == palette[j + 3])
                return false;
        }
        return true;
    }

  private:
    uint64_t fileSize_;
    uint64_t paletteEnd_ = 0;
};

} // namespace

Find09Result FindImages09(Workspace& ws, uint32_t start, Progress& bar, Dialogs& dialogs) {
    Find09Result result;
    const uint64_t size = ws.FwSize() > 0 ? static_cast<uint64_t>(ws.FwSize()) : 0;
    bar.setPosition(0);
    bar.setRange(
        static_cast<int>(std::max<int64_t>((static_cast<int64_t>(size) - start) / 127 + 1, 1)));

    // Every offset whose byte and the byte after it lie in the file is tested once.
    const uint64_t lastTested = size >= 2 ? size - 2 : 0;
    uint64_t stopAt = size >= 2 ? lastTested + 1 : 0; // one past the last offset to test
    PaletteChecker checker(size);
    PumpClock clock(ws.pumpInterval);
    // A firmware smaller than a chunk gets a buffer of its own size.
    std::vector<uint8_t> buffer(
        static_cast<size_t>(std::min<uint64_t>(ChunkSize, stopAt > start ? stopAt - start : 0)) +
        ChunkTail);

    for (uint64_t base = start; base < stopAt; base += ChunkSize) {
        const size_t got = ws.ReadAt(static_cast<uint32_t>(base), buffer.size(), buffer.data());
        const uint64_t chunkEnd = std::min<uint64_t>(base + ChunkSize, stopAt);
        const uint8_t* first = buffer.data();
        const uint8_t* end = first + (chunkEnd - base);
        for (const uint8_t* p = first; p < end; ++p) {
            p = static_cast<const uint8_t*>(std::memchr(p, 0x09, static_cast<size_t>(end - p)));
            if (!p)
                break;
            const uint64_t address = base + static_cast<uint64_t>(p - first);
            if (static_cast<size_t>(p - first) + 1 >= got || p[1] == 0 || p[1] > 127)
                continue;
            if (address >= stopAt)
                break;
            if (++result.candidates > MaxCandidates09 && !result.limitReached) {
                result.limitReached = true;
                const uint64_t block = (address - start) / TestedPerBlock;
                stopAt = std::min(stopAt, start + (block + 1) * TestedPerBlock);
                end = first + (std::min(chunkEnd, stopAt) - base);
            }
            if (checker.accept(address, p))
                result.pictures.push_back({static_cast<uint32_t>(address), 0, 0});
        }
        bar.setPosition(static_cast<int>((std::min(chunkEnd, stopAt) - start) / TestedPerBlock));
        if (clock.due())
            bar.pump();
    }
    if (result.limitReached)
        dialogs.warn(msg::ReduceRange);
    dialogs.inform(msg::SearchCompleted);
    return result;
}

} // namespace tovallo
