#include "workspace/ByteSearch.h"

#include <algorithm>
#include <cstring>
#include <functional>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TOVALLO_WIDE_SEARCH 1
#include <immintrin.h>
#endif

namespace tovallo {

namespace {

#ifdef TOVALLO_WIDE_SEARCH

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Candidates that turned out not to match, beyond which the rest goes to memmem: about one in
// 16 positions, after a grace of 256.
bool TooManyFalseHits(size_t falseHits, size_t scanned) {
    return falseHits > 256 && falseHits * 16 > scanned;
}

// Scans the starts [0, size - length] 32 at a time while the candidates stay rare. Returns the
// match, or nullptr with `scanned` telling how many starts were ruled out.
__attribute__((target("avx2"))) const uint8_t* FindAvx2(const uint8_t* data, size_t size,
                                                        const uint8_t* pattern, size_t length,
                                                        size_t first, size_t second,
                                                        size_t& scanned) {
    const __m256i a = _mm256_set1_epi8(static_cast<char>(pattern[first]));
    const __m256i b = _mm256_set1_epi8(static_cast<char>(pattern[second]));
    const size_t starts = size - length + 1;
    size_t falseHits = 0;
    size_t i = 0;
    for (; i + 32 <= starts; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + first));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + second));
        auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(x, a), _mm256_cmpeq_epi8(y, b))));
        while (mask != 0) {
            const uint8_t* candidate = data + i + static_cast<size_t>(__builtin_ctz(mask));
            if (std::memcmp(candidate, pattern, length) == 0)
                return candidate;
            ++falseHits;
            mask &= mask - 1;
        }
        if (TooManyFalseHits(falseHits, i))
            break;
    }
    scanned = i;
    return nullptr;
}

#endif

} // namespace

ByteSearcher::ByteSearcher(std::string_view pattern) : pattern_(pattern) {
    if (pattern_.size() < 2)
        return;
    second_ = pattern_.size() - 1;
    for (size_t j = pattern_.size() - 1; j > 0; --j)
        if (pattern_[j] != pattern_[0]) {
            second_ = j;
            break;
        }
#ifdef TOVALLO_WIDE_SEARCH
    wide_ = HasAvx2();
#endif
}

const uint8_t* ByteSearcher::findWithMemmem(const uint8_t* data, size_t size) const {
    if (size < pattern_.size())
        return nullptr;
#if defined(__GLIBC__) || defined(__APPLE__) || defined(__FreeBSD__)
    return static_cast<const uint8_t*>(memmem(data, size, pattern_.data(), pattern_.size()));
#else
    const auto* n = reinterpret_cast<const uint8_t*>(pattern_.data());
    const auto it =
        std::search(data, data + size, std::boyer_moore_horspool_searcher(n, n + pattern_.size()));
    return it == data + size ? nullptr : it;
#endif
}

const uint8_t* ByteSearcher::find(const uint8_t* data, size_t size) const {
    if (pattern_.empty() || size < pattern_.size())
        return nullptr;
    if (pattern_.size() == 1)
        return static_cast<const uint8_t*>(std::memchr(data, pattern_[0], size));
#ifdef TOVALLO_WIDE_SEARCH
    if (wide_) {
        size_t scanned = 0;
        if (const uint8_t* hit =
                FindAvx2(data, size, reinterpret_cast<const uint8_t*>(pattern_.data()),
                         pattern_.size(), first_, second_, scanned))
            return hit;
        return findWithMemmem(data + scanned, size - scanned);
    }
#endif
    return findWithMemmem(data, size);
}

} // namespace tovallo
