#include "workspace/FirmwareSearch.h"

#include "workspace/Progress.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

namespace tovallo {

namespace {

// Blocks of the text search read at once: few at first, so that find-next after a nearby match
// stays cheap, then more. Results are those of a block-by-block scan.
constexpr size_t FirstChunkBlocks = 1;
constexpr size_t ChunkBlocks = 256;
constexpr size_t LinkChunk = 1 << 20;
constexpr uint32_t LinkStep = 125;

// First occurrence of `needle` in [data, data + size), or nullptr.
const uint8_t* findBytes(const uint8_t* data, size_t size, const std::string& needle) {
    if (needle.empty() || size < needle.size())
        return nullptr;
#if defined(__GLIBC__) || defined(__APPLE__) || defined(__FreeBSD__)
    return static_cast<const uint8_t*>(memmem(data, size, needle.data(), needle.size()));
#else
    const auto* n = reinterpret_cast<const uint8_t*>(needle.data());
    const auto it =
        std::search(data, data + size, std::boyer_moore_horspool_searcher(n, n + needle.size()));
    return it == data + size ? nullptr : it;
#endif
}

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

    // A match may start on the last byte of the previous one, but a one-byte pattern must not
    // find that same byte again.
    const uint64_t firstAllowed =
        (pattern.size() == 1 && ws.lastSingleByteMatch == static_cast<int64_t>(ws.SearchPos))
            ? ws.SearchPos + 1
            : ws.SearchPos;

    const size_t len = pattern.size();
    std::vector<uint8_t>& buffer = ws.scanBuffer;
    buffer.resize(ChunkBlocks * SearchBlockSize + MaxPatternLength);
    size_t chunkBlocks = FirstChunkBlocks;
    size_t carry = 0; // bytes of the sliding window taken over from the previous chunk
    uint64_t blockStart = ws.SearchPos;
    PumpClock clock(ws.pumpInterval);

    while (size - 1 > static_cast<int64_t>(blockStart)) {
        // A Stop request already pending ends the scan after one block.
        const size_t maxBlocks = ws.SearchStop ? 1 : chunkBlocks;
        chunkBlocks = std::min(chunkBlocks * 2, ChunkBlocks);
        const uint64_t remaining = static_cast<uint64_t>(size - 1) - blockStart;
        const size_t blocks = static_cast<size_t>(
            std::min<uint64_t>(maxBlocks, (remaining + SearchBlockSize - 1) / SearchBlockSize));
        const size_t got = ws.ReadAt(static_cast<uint32_t>(blockStart), blocks * SearchBlockSize,
                                     buffer.data() + carry);
        if (got < 1)
            break;
        const size_t have = carry + got;
        const uint64_t base = blockStart - carry; // file offset of buffer[0]
        const uint8_t* from = buffer.data();
        while (const uint8_t* hit =
                   findBytes(from, static_cast<size_t>(buffer.data() + have - from), pattern)) {
            const uint64_t start = base + static_cast<uint64_t>(hit - buffer.data());
            if (start >= firstAllowed) {
                const uint64_t last = start + len - 1;
                bar.advance(static_cast<int>((last - blockStart) / SearchBlockSize));
                ws.SearchPos = static_cast<uint32_t>(last);
                ws.lastSingleByteMatch = len == 1 ? static_cast<int64_t>(last) : -1;
                return static_cast<int64_t>(start);
            }
            from = hit + 1;
        }
        const size_t blocksRead = (got + SearchBlockSize - 1) / SearchBlockSize;
        blockStart += blocksRead * SearchBlockSize;
        bar.advance(static_cast<int>(blocksRead));
        carry = len > 0 ? std::min(len - 1, have) : 0;
        std::memmove(buffer.data(), buffer.data() + have - carry, carry);
        if (clock.due())
            bar.pump();
        if (ws.SearchStop) {
            ws.SearchStop = false;
            break;
        }
    }
    ws.SearchPos = 0;
    ws.lastSingleByteMatch = -1;
    bar.setPosition(0);
    return -1;
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
