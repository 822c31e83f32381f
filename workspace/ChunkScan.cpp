#include "workspace/ChunkScan.h"

#include "workspace/FirmwareSearch.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tovallo {

ChunkScan::ChunkScan(Workspace& ws, uint64_t start, size_t overlap, Progress& bar)
    : ws_(ws), bar_(bar), clock_(ws.pumpInterval),
      // A firmware smaller than a chunk is read whole into a buffer of its own size.
      chunk_(static_cast<size_t>(std::clamp<int64_t>(int64_t{ws.FwSize()} - int64_t(start), 1,
                                                     int64_t{ChunkSize}))),
      buffer_(chunk_ + overlap), start_(start), pos_(start), overlap_(overlap), base_(start) {}

bool ChunkScan::next() {
    if (done_ || pos_ >= static_cast<uint64_t>(std::max(ws_.FwSize(), 0))) {
        done_ = true;
        return false;
    }
    const size_t keep = std::min(overlap_, have_);
    std::memmove(buffer_.data(), buffer_.data() + have_ - keep, keep);
    const size_t want = ws_.SearchStop ? std::min(SearchBlockSize, chunk_) : chunk_;
    const size_t got = ws_.ReadAt(static_cast<uint32_t>(pos_), want, buffer_.data() + keep);
    if (got == 0) {
        done_ = true;
        return false;
    }
    base_ = pos_ - keep;
    have_ = keep + got;
    pos_ += got;
    const uint64_t blocks = (pos_ - start_) / SearchBlockSize;
    bar_.setPosition(static_cast<int>(
        std::min<uint64_t>(blocks, static_cast<uint64_t>(std::numeric_limits<int>::max()))));
    if (clock_.due())
        bar_.pump();
    if (ws_.SearchStop) {
        ws_.SearchStop = false;
        stopped_ = done_ = true;
    }
    return true;
}

} // namespace tovallo
