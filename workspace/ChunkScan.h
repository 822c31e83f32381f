#pragma once

#include "workspace/Progress.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovallo {

class Workspace;

// Reads the firmware from `start` to its end in large chunks, for scans that look at every byte
// and keep their own state between matches. Each chunk begins with the last `overlap` bytes of
// the previous one, so that a pattern of up to overlap + 1 bytes straddling two chunks is seen
// whole. The bar counts 4096-byte blocks from `start` (the caller sets its range); the window is
// pumped about every pump interval. A Stop request (SearchStop) ends the reading after the
// current chunk, after a single block when it was already pending, and is cleared.
class ChunkScan {
  public:
    static constexpr size_t ChunkSize = size_t{1} << 20;

    ChunkScan(Workspace& ws, uint64_t start, size_t overlap, Progress& bar);

    // Reads the next chunk; false at the end of the firmware, on a short read or after a stop.
    bool next();
    const uint8_t* data() const { return buffer_.data(); }
    size_t size() const { return have_; }
    uint64_t base() const { return base_; } // firmware offset of data()[0]
    uint64_t end() const { return base_ + have_; }
    // True when the reading ended on a Stop request rather than at the end of the firmware.
    bool stopped() const { return stopped_; }

  private:
    Workspace& ws_;
    Progress& bar_;
    PumpClock clock_;
    size_t chunk_; // bytes read at a time: ChunkSize, or less for a small firmware
    std::vector<uint8_t> buffer_;
    uint64_t start_;
    uint64_t pos_;
    size_t overlap_;
    uint64_t base_ = 0;
    size_t have_ = 0;
    bool done_ = false;
    bool stopped_ = false;
};

} // namespace tovallo
