#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tovallo {

// Finds a byte string in memory, with the results of memmem. Where the processor has AVX2 it
// compares two bytes of the pattern at 32 positions at once and checks only the positions where
// both agree; data that agrees too often (long runs of the pattern's bytes) goes to memmem.
class ByteSearcher {
  public:
    explicit ByteSearcher(std::string_view pattern);

    // First occurrence of the pattern in [data, data + size), or nullptr. An empty pattern is
    // never found.
    const uint8_t* find(const uint8_t* data, size_t size) const;

  private:
    const uint8_t* findWithMemmem(const uint8_t* data, size_t size) const;

    std::string_view pattern_;
    // The two pattern positions compared first: the first byte and the last byte that differs
    // from it (or the last byte).
    size_t first_ = 0;
    size_t second_ = 0;
    bool wide_ = false; // the AVX2 comparison is available and worth it
};

} // namespace tovallo
