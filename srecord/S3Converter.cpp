#include "srecord/S3Converter.h"

#include "workspace/S3Record.h"

#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Progress.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

namespace tovallo {

namespace {

int clampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, INT_MAX));
}

// The first CR or LF in [p, end), or end. Eight characters are tested at once: a byte of
// x ^ CR (or x ^ LF) is zero where x holds CR (LF), and the lowest flagged zero byte is the
// first such character (the borrow only flags bytes above a real zero).
const char* FindLineEnd(const char* p, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t ones = 0x0101010101010101;
        constexpr uint64_t highs = 0x8080808080808080;
        for (; end - p >= 8; p += 8) {
            uint64_t x;
            std::memcpy(&x, p, 8);
            const uint64_t cr = x ^ (ones * '\r');
            const uint64_t lf = x ^ (ones * '\n');
            const uint64_t zero = (((cr - ones) & ~cr) | ((lf - ones) & ~lf)) & highs;
            if (zero != 0)
                return p + (std::countr_zero(zero) >> 3);
        }
    }
    while (p != end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

} // namespace

S3Converter::S3Converter(Dialogs& dialogs, std::chrono::milliseconds pumpInterval)
    : dialogs_(dialogs), pumpInterval_(pumpInterval), readBuffer_(ReadBlockSize),
      writeBuffer_(WriteThreshold + 4096) {}

void S3Converter::startProgress(Progress& progress, int64_t maximum) {
    progressDone_ = 0;
    pumpCheck_ = 0;
    lastPump_ = std::chrono::steady_clock::now();
    progress.setRange(clampToInt(maximum));
    progress.setPosition(0);
}

void S3Converter::finishProgress(Progress& progress) {
    progress.setPosition(clampToInt(progressDone_));
}

void S3Converter::tick(Progress& progress, size_t steps) {
    progressDone_ += static_cast<int64_t>(steps);
    // Reading the clock after every 16-byte record would cost more than the record itself.
    if (++pumpCheck_ % 64 != 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ < pumpInterval_)
        return;
    lastPump_ = now;
    progress.setPosition(clampToInt(progressDone_));
    progress.pump();
}

void S3Converter::writeOut(const char* data, size_t length, OutputFile& out) {
    if (length == 0)
        return;
    if (!out.write(data, length) && !writeFailed_) {
        writeFailed_ = true;
        dialogs_.warn(msg::Error);
    }
    filePos_ += static_cast<int64_t>(length);
}

void S3Converter::flush(OutputFile& out) {
    writeOut(writeBuffer_.data(), writeFill_, out);
    writeFill_ = 0;
}

void S3Converter::BufferedWrite(const void* data, size_t length, OutputFile& out) {
    if (length == 0) {
        flush(out);
        return;
    }
    if (writeFill_ + length > writeBuffer_.size()) {
        flush(out);
        if (length > writeBuffer_.size()) {
            writeOut(static_cast<const char*>(data), length, out);
            return;
        }
    }
    std::memcpy(writeBuffer_.data() + writeFill_, data, length);
    writeFill_ += length;
    if (writeFill_ >= WriteThreshold)
        flush(out);
}

void S3Converter::ResetReadBuffer() {
    readPos_ = readFill_ = 0;
}

bool S3Converter::refill(BinaryFile& in) {
    readPos_ = 0;
    readFill_ = in.read(readBuffer_.data(), readBuffer_.size());
    return readFill_ > 0;
}

size_t S3Converter::ReadTextLine(BinaryFile& in, std::string& line) {
    line.clear();
    size_t length = 0;
    for (;;) {
        if (readPos_ == readFill_ && !refill(in))
            return length;
        const char* begin = readBuffer_.data() + readPos_;
        const char* end = readBuffer_.data() + readFill_;
        const char* p = FindLineEnd(begin, end);
        const auto n = static_cast<size_t>(p - begin);
        if (line.size() < MaxKeptLine)
            line.append(begin, std::min(n, MaxKeptLine - line.size()));
        length += n;
        readPos_ += n;
        if (p == end)
            continue;
        ++readPos_;
        if (readPos_ == readFill_ && !refill(in))
            return length;
        const char next = readBuffer_[readPos_];
        if (next == '\r' || next == '\n')
            ++readPos_;
        return length;
    }
}

size_t S3Converter::ReadDataBlock(BinaryFile& in, uint8_t* destination) {
    size_t copied = 0;
    while (copied < S3BytesPerRecord) {
        if (readPos_ == readFill_ && !refill(in))
            break;
        const size_t take = std::min(S3BytesPerRecord - copied, readFill_ - readPos_);
        std::memcpy(destination + copied, readBuffer_.data() + readPos_, take);
        readPos_ += take;
        copied += take;
    }
    return copied;
}

} // namespace tovallo
