#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Progress;

// Finds the first of several byte strings in memory. Each pattern is anchored on its two rarest
// bytes (rarest in a sample of the data to be searched). Where the processor has AVX2, one sweep
// tests the anchors of every pattern at 32 starts at once and compares a whole pattern only where
// both of its anchors agree; elsewhere, or when the data holds the anchors too often, each pattern
// is looked for with memchr on its rarest byte, and memmem once that byte proves common. An empty
// pattern is never found, so a caller can leave a pattern out by emptying it.
class MultiPatternMatcher {
  public:
    explicit MultiPatternMatcher(std::vector<std::string> patterns);

    // Picks each pattern's anchor byte by the byte frequencies of `sample`.
    void learnFrom(const uint8_t* sample, size_t size);

    size_t longest() const { return longest_; }

    struct Hit {
        size_t offset = 0; // of the match's first byte
        int index = -1;    // of the pattern
    };
    // The lowest offset in [data, data + size) where a pattern lies whole, with the lowest index
    // among the patterns that start there.
    std::optional<Hit> find(const uint8_t* data, size_t size) const;

  private:
    struct Anchor {
        size_t first = 0;  // position in the pattern of its rarest byte
        size_t second = 0; // of its next rarest (the same position in a one-byte pattern)
    };

    // The sweep over the starts [0, scanned); nothing with `scanned` short of the end when the
    // anchors proved too common to go on.
    std::optional<Hit> findWide(const uint8_t* data, size_t size, size_t& scanned) const;
    std::optional<Hit> findNarrow(const uint8_t* data, size_t size) const;
    // The first start below `limit` where pattern k lies whole in [data, data + size).
    std::optional<size_t> findPattern(size_t k, const uint8_t* data, size_t size,
                                      size_t limit) const;

    std::vector<std::string> patterns_;
    std::vector<Anchor> anchors_;
    size_t longest_ = 0;
    bool wide_ = false;
};

struct AnyMatch {
    int64_t Offset = -1;
    int Index = -1;
    bool found() const { return Offset >= 0; }
    friend bool operator==(const AnyMatch&, const AnyMatch&) = default;
};

// Bytes of the firmware read at once by FindAnyInFirmware (the reads overlap by the longest
// pattern's length less one).
inline constexpr size_t FindAnyReadSize = size_t{256} << 10;

// The lowest offset >= start where one of `patterns` lies whole in the firmware, with the
// lowest pattern index at that offset; (-1, -1) when there is none, when no firmware is open or
// a pattern is longer than MaxPatternLength. Empty patterns are left out of the search. One pass
// in large reads; the bar counts 4096-byte blocks of the whole file (from start / 4096) and goes
// back to 0 when nothing is found; the window is pumped about every pump interval. A Stop
// request (SearchStop) ends the search without a match after the read that sees it, and is
// cleared; one pending before the call lets the first 4096 bytes be searched.
AnyMatch FindAnyInFirmware(Workspace& ws, const std::vector<std::string>& patterns, uint32_t start,
                           Progress& bar);

} // namespace tovallo
