#include "workspace/MultiPatternSearch.h"

#include "workspace/FirmwareSearch.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TOVALLO_WIDE_SEARCH 1
#include <immintrin.h>
#endif

namespace tovallo {

namespace {

// Candidates that were no match, beyond which the anchors count as common in the data and the
// search changes method: about one in 32 positions, after a grace of 64.
bool TooManyFalseHits(size_t falseHits, size_t scanned) {
    return falseHits > 64 && falseHits * 32 > scanned;
}

// The sweep keeps the anchors of at most this many patterns in registers.
constexpr size_t WidePatterns = 16;

int ClampToInt(uint64_t v) {
    return static_cast<int>(std::min<uint64_t>(v, std::numeric_limits<int>::max()));
}

} // namespace

MultiPatternMatcher::MultiPatternMatcher(std::vector<std::string> patterns)
    : patterns_(std::move(patterns)), anchors_(patterns_.size()) {
    size_t live = 0;
    for (const std::string& p : patterns_) {
        longest_ = std::max(longest_, p.size());
        live += p.empty() ? 0 : 1;
    }
#ifdef TOVALLO_WIDE_SEARCH
    wide_ = live <= WidePatterns && __builtin_cpu_supports("avx2");
#endif
    learnFrom(nullptr, 0);
}

void MultiPatternMatcher::learnFrom(const uint8_t* sample, size_t size) {
    std::array<size_t, 256> count{};
    for (size_t i = 0; i < size; ++i)
        ++count[sample[i]];
    for (size_t k = 0; k < patterns_.size(); ++k) {
        const std::string& p = patterns_[k];
        const auto rarity = [&](size_t j) { return count[static_cast<uint8_t>(p[j])]; };
        Anchor& a = anchors_[k];
        a = {};
        for (size_t j = 1; j < p.size(); ++j)
            if (rarity(j) < rarity(a.first))
                a.first = j;
        a.second = a.first;
        for (size_t j = 0; j < p.size(); ++j)
            if (j != a.first && (a.second == a.first || rarity(j) < rarity(a.second)))
                a.second = j;
    }
}

#ifdef TOVALLO_WIDE_SEARCH

__attribute__((target("avx2"))) std::optional<MultiPatternMatcher::Hit>
MultiPatternMatcher::findWide(const uint8_t* data, size_t size, size_t& scanned) const {
    scanned = 0;
    // Starts where the longest pattern fits: every load of a 32-start block stays inside.
    const size_t starts = size >= longest_ ? size - longest_ + 1 : 0;
    struct Live {
        size_t k;
        size_t a, b;
        __m256i x, y;
    };
    std::array<Live, WidePatterns> live;
    size_t n = 0;
    for (size_t k = 0; k < patterns_.size(); ++k)
        if (!patterns_[k].empty()) {
            const Anchor& an = anchors_[k];
            const auto x = static_cast<char>(patterns_[k][an.first]);
            const auto y = static_cast<char>(patterns_[k][an.second]);
            live[n++] = {k, an.first, an.second, _mm256_set1_epi8(x), _mm256_set1_epi8(y)};
        }
    size_t falseHits = 0;
    size_t i = 0;
    while (i + 32 <= starts) {
        __m256i any = _mm256_setzero_si256();
        for (size_t l = 0; l < n; ++l) {
            const Live& p = live[l];
            const __m256i u = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + p.a));
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + p.b));
            any = _mm256_or_si256(
                any, _mm256_and_si256(_mm256_cmpeq_epi8(u, p.x), _mm256_cmpeq_epi8(v, p.y)));
        }
        for (auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(any)); mask != 0;
             mask &= mask - 1) {
            const size_t s = i + static_cast<size_t>(__builtin_ctz(mask));
            // Patterns in index order: at one start the lowest index wins.
            for (size_t l = 0; l < n; ++l) {
                const std::string& p = patterns_[live[l].k];
                if (std::memcmp(data + s, p.data(), p.size()) == 0)
                    return Hit{s, static_cast<int>(live[l].k)};
            }
            ++falseHits;
        }
        i += 32;
        if (TooManyFalseHits(falseHits, i))
            break;
    }
    scanned = i;
    return std::nullopt;
}

#else

std::optional<MultiPatternMatcher::Hit> MultiPatternMatcher::findWide(const uint8_t*, size_t,
                                                                      size_t& scanned) const {
    scanned = 0;
    return std::nullopt;
}

#endif

std::optional<size_t> MultiPatternMatcher::findPattern(size_t k, const uint8_t* data, size_t size,
                                                       size_t limit) const {
    const std::string& p = patterns_[k];
    if (p.empty() || size < p.size())
        return std::nullopt;
    const size_t starts = std::min(limit, size - p.size() + 1);
    const size_t a = anchors_[k].first;
    const auto byte = static_cast<uint8_t>(p[a]);
    size_t from = 0; // the next start to try
    size_t falseHits = 0;
    while (from < starts) {
        const auto* hit =
            static_cast<const uint8_t*>(std::memchr(data + from + a, byte, starts - from));
        if (!hit)
            return std::nullopt;
        const auto s = static_cast<size_t>(hit - data) - a;
        if (std::memcmp(data + s, p.data(), p.size()) == 0)
            return s;
        from = s + 1;
        if (TooManyFalseHits(++falseHits, from)) {
            const auto* m = static_cast<const uint8_t*>(
                memmem(data + from, starts - from + p.size() - 1, p.data(), p.size()));
            if (!m)
                return std::nullopt;
            return static_cast<size_t>(m - data);
        }
    }
    return std::nullopt;
}

std::optional<MultiPatternMatcher::Hit> MultiPatternMatcher::findNarrow(const uint8_t* data,
                                                                        size_t size) const {
    std::optional<Hit> best;
    for (size_t k = 0; k < patterns_.size(); ++k) {
        // A later pattern wins only where it starts before the best match so far.
        const size_t limit = best ? best->offset : size;
        if (const auto s = findPattern(k, data, size, limit))
            best = Hit{*s, static_cast<int>(k)};
    }
    return best;
}

std::optional<MultiPatternMatcher::Hit> MultiPatternMatcher::find(const uint8_t* data,
                                                                  size_t size) const {
    size_t scanned = 0;
    if (wide_)
        if (auto hit = findWide(data, size, scanned))
            return hit;
    auto hit = findNarrow(data + scanned, size - scanned);
    if (hit)
        hit->offset += scanned;
    return hit;
}

AnyMatch FindAnyInFirmware(Workspace& ws, const std::vector<std::string>& patterns, uint32_t start,
                           Progress& bar) {
    if (!ws.FwIsOpen())
        return {};
    MultiPatternMatcher matcher(patterns);
    if (matcher.longest() > MaxPatternLength)
        return {};
    const uint64_t size = static_cast<uint64_t>(std::max(ws.FwSize(), 0));
    bar.setRange(ClampToInt(size / SearchBlockSize + 1));
    bar.setPosition(ClampToInt(start / SearchBlockSize));

    // Each read keeps the last W - 1 bytes of the previous one in front of it (W the longest
    // pattern), so a match straddling two reads is seen whole in the second.
    const size_t overlap = matcher.longest() > 0 ? matcher.longest() - 1 : 0;
    std::vector<uint8_t> buffer(overlap + FindAnyReadSize);
    const bool stopPending = ws.SearchStop;
    PumpClock clock(ws.pumpInterval);
    uint64_t pos = start;
    size_t have = 0;
    bool learnt = false;
    while (matcher.longest() > 0 && pos < size) {
        const size_t keep = std::min(overlap, have);
        std::memmove(buffer.data(), buffer.data() + have - keep, keep);
        const size_t want = stopPending ? SearchBlockSize : FindAnyReadSize;
        const size_t got = ws.ReadAt(static_cast<uint32_t>(pos), want, buffer.data() + keep);
        if (got == 0)
            break;
        const uint64_t base = pos - keep;
        have = keep + got;
        pos += got;
        bar.setPosition(ClampToInt(pos / SearchBlockSize));
        if (!learnt) {
            matcher.learnFrom(buffer.data(), have);
            learnt = true;
        }
        if (const auto hit = matcher.find(buffer.data(), have))
            return {static_cast<int64_t>(base + hit->offset), hit->index};
        if (clock.due())
            bar.pump();
        if (ws.SearchStop) {
            ws.SearchStop = false;
            break;
        }
    }
    bar.setPosition(0);
    return {};
}

} // namespace tovallo
