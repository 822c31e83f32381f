#include "workspace/FirmwareSearch.h"

#include "workspace/ByteSearch.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace tovallo {

namespace {

// Blocks of the text search read at once (results are those of a block-by-block scan), and the
// size of the window that keeps them between find-next calls.
constexpr size_t ChunkBlocks = 64;
constexpr size_t WindowCapacity = ChunkBlocks * SearchBlockSize + MaxPatternLength;
constexpr size_t LinkChunk = 1 << 20;
constexpr uint32_t LinkStep = 125;

// First occurrence of a 4-byte value: memchr on its most telling byte (not 0x00 or 0xFF, which
// fill erased and empty flash), then a compare of all four.
const uint8_t* findWord(const uint8_t* data, size_t size, const uint8_t (&word)[4]) {
    if (size < 4)
        return nullptr;
    size_t k = 0;
    for (size_t i = 0; i < 4; ++i)
        if (word[i] != 0x00 && word[i] != 0xFF) {
            k = i;
            break;
        }
    const uint8_t* end = data + size - 3; // candidates start before end
    const uint8_t* from = data + k;
    while (from < end + k) {
        const auto* hit = static_cast<const uint8_t*>(
            std::memchr(from, word[k], static_cast<size_t>(end + k - from)));
        if (!hit)
            return nullptr;
        if (std::memcmp(hit - k, word, 4) == 0)
            return hit - k;
        from = hit + 1;
    }
    return nullptr;
}

int clampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, 0, std::numeric_limits<int>::max()));
}

// The end of a text search without a match: SearchPos and the bar back to 0.
int64_t noMatch(Workspace& ws, Progress& bar) {
    ws.SearchPos = 0;
    ws.lastSingleByteMatch = -1;
    bar.setPosition(0);
    return -1;
}

} // namespace

int64_t FindInFirmware(Workspace& ws, const std::string& pattern, bool restart, Progress& bar) {
    if (!ws.FwIsOpen() || pattern.size() > MaxPatternLength)
        return -1;
    if (restart) {
        bar.setPosition(0);
        ws.SearchPos = 0;
        ws.lastSingleByteMatch = -1; // a match at offset 0 may be found again
    }
    const int64_t size = ws.FwSize();
    bar.setRange(clampToInt(size / static_cast<int64_t>(SearchBlockSize) + 1));
    const int barStart = bar.position();

    // The scan reads blocks of 4096 bytes from SearchPos on while a block starts before the
    // file's last byte, so that byte is examined only when it is not the start of a block.
    const uint64_t start = ws.SearchPos;
    if (size - 1 <= static_cast<int64_t>(start))
        return noMatch(ws, bar);
    uint64_t end = static_cast<uint64_t>(size);
    if ((end - 1 - start) % SearchBlockSize == 0)
        --end;
    // A Stop request already pending ends the scan after its first block.
    const bool stopPending = ws.SearchStop;
    if (stopPending)
        end = std::min<uint64_t>(end, start + SearchBlockSize);

    // A match may start on the last byte of the previous one, but a one-byte pattern must not
    // find that same byte again.
    const uint64_t firstAllowed =
        (pattern.size() == 1 && ws.lastSingleByteMatch == static_cast<int64_t>(start)) ? start + 1
                                                                                       : start;
    const size_t len = pattern.size();

    // The bytes read by the previous search serve again while the firmware is unchanged and
    // they reach the resume point.
    Workspace::ReadWindow& window = ws.searchWindow;
    // A firmware smaller than the window needs a window of its own size only.
    const auto fitting = static_cast<size_t>(std::min<uint64_t>(
        WindowCapacity, static_cast<uint64_t>(std::max(ws.FwSize(), 0)) + MaxPatternLength));
    if (window.bytes.size() < fitting)
        window.bytes.resize(fitting);
    if (window.version != ws.firmware.version() || start < window.base ||
        start > window.base + window.size) {
        window.version = ws.firmware.version();
        window.base = start;
        window.size = 0;
    }

    const ByteSearcher searcher(pattern);
    uint64_t from = start; // where the next match may begin
    PumpClock clock(ws.pumpInterval);
    for (;;) {
        const uint64_t limit = std::min(window.base + window.size, end);
        if (limit >= from + len) {
            const uint8_t* data = window.bytes.data() + (from - window.base);
            const size_t count = static_cast<size_t>(limit - from);
            for (const uint8_t* hit = searcher.find(data, count); hit;
                 hit = searcher.find(hit + 1, count - static_cast<size_t>(hit + 1 - data))) {
                const uint64_t at = from + static_cast<uint64_t>(hit - data);
                if (at < firstAllowed)
                    continue;
                const uint64_t last = at + len - 1;
                bar.setPosition(barStart + clampToInt((last - start) / SearchBlockSize));
                ws.SearchPos = static_cast<uint32_t>(last);
                ws.lastSingleByteMatch = len == 1 ? static_cast<int64_t>(last) : -1;
                return static_cast<int64_t>(at);
            }
        }
        if (limit > start) {
            bar.setPosition(barStart + clampToInt((limit - start) / SearchBlockSize));
            if (clock.due())
                bar.pump();
            // A pending Stop lets the first block be searched whole first.
            if (ws.SearchStop && (!stopPending || limit >= end)) {
                ws.SearchStop = false;
                break;
            }
        }
        if (limit >= end)
            break;
        // Only the last len - 1 bytes can still begin a match: keep them and read on.
        from = std::max(from, limit - std::min<uint64_t>(len > 0 ? len - 1 : 0, limit));
        const size_t keep = static_cast<size_t>(window.base + window.size - from);
        std::memmove(window.bytes.data(), window.bytes.data() + (from - window.base), keep);
        window.base = from;
        window.size = keep;
        const size_t got =
            ws.ReadAt(static_cast<uint32_t>(from + keep),
                      std::min(ChunkBlocks * SearchBlockSize, window.bytes.size() - keep),
                      window.bytes.data() + keep);
        if (got < 1)
            break;
        window.size += got;
    }
    return noMatch(ws, bar);
}

std::vector<uint32_t> FindLinks(Workspace& ws, uint32_t value, Progress& bar, size_t maxResults,
                                uint32_t start) {
    const int64_t size = ws.FwSize();
    bar.setPosition(0);
    bar.setRange(clampToInt((size - static_cast<int64_t>(start)) / LinkStep + 1));

    std::vector<uint32_t> results;
    if (maxResults == 0)
        return results;
    uint8_t word[4];
    for (size_t i = 0; i < 4; ++i)
        word[i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);

    std::vector<uint8_t>& buffer = ws.scanBuffer;
    buffer.resize(LinkChunk + 3);
    size_t carry = 0;
    uint64_t pos = start; // file offset of the next byte to read
    PumpClock clock(ws.pumpInterval);
    while (size - 1 > static_cast<int64_t>(pos) - static_cast<int64_t>(carry)) {
        const size_t got = ws.ReadAt(static_cast<uint32_t>(pos), LinkChunk, buffer.data() + carry);
        if (got < 1)
            break;
        const size_t have = carry + got;
        const uint64_t base = pos - carry;
        const uint8_t* from = buffer.data();
        while (const uint8_t* hit =
                   findWord(from, static_cast<size_t>(buffer.data() + have - from), word)) {
            results.push_back(
                static_cast<uint32_t>(base + static_cast<uint64_t>(hit - buffer.data())));
            if (results.size() >= maxResults) {
                bar.setPosition(clampToInt((results.back() - start) / LinkStep));
                return results;
            }
            from = hit + 1;
        }
        pos += got;
        carry = std::min<size_t>(3, have);
        std::memmove(buffer.data(), buffer.data() + have - carry, carry);
        bar.setPosition(clampToInt(static_cast<int64_t>(pos - start) / LinkStep));
        if (clock.due())
            bar.pump();
        if (got < LinkChunk)
            break;
    }
    return results;
}

} // namespace tovallo
