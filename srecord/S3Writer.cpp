// BIN to S3: segments of a BIN file written as S3 records, around the excluded regions.
#include "srecord/ExcludedSegments.h"
#include "srecord/S3Converter.h"
#include "workspace/S3Record.h"

#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Progress.h"

#include <algorithm>

namespace tovallo {

void S3Converter::WriteS3Segment(BinaryFile& bin, OutputFile& out, int64_t from, int64_t to,
                                 uint32_t base, Progress& progress) {
    if (from >= to)
        return;
    ResetReadBuffer();
    if (!bin.seek(from))
        return;
    uint8_t data[S3BytesPerRecord];
    char record[S3MaxRecordText];
    for (int64_t offset = from; offset < to && !writeFailed_;) {
        size_t count = ReadDataBlock(bin, data);
        tick(progress, count);
        if (count == 0)
            break;
        count = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), to - offset));
        const size_t length =
            FormatS3Record(static_cast<uint32_t>(offset + base), data, count, record);
        BufferedWrite(record, length, out);
        offset += static_cast<int64_t>(count);
    }
}

bool S3Converter::BinToS3(const std::string& binName, OutputFile& out, int32_t start, int32_t stop,
                          bool withHeader, const std::vector<AddressRegion>& excluded,
                          Progress& progress) {
    BinaryFile bin = BinaryFile::OpenForReading(binName);
    const int64_t size = bin.isOpen() ? bin.size() : -1;
    if (size < 0) {
        dialogs_.warn(msg::OriginalNotFound);
        return false;
    }
    int64_t from = 0;
    int64_t end = size;
    uint32_t base = static_cast<uint32_t>(start);
    if (stop > 0) {
        // A part: the records carry the file offsets themselves. A negative start would be
        // an offset before the file.
        if (start < 0 || start >= stop || start >= size) {
            dialogs_.warn(msg::WrongAddress);
            return false;
        }
        from = start;
        end = std::min<int64_t>(stop, size);
        base = 0;
    }
    // Addresses are 32 bits: a range that would run past 0xFFFFFFFF is refused rather than
    // written with addresses wrapping round to 0.
    if (end + static_cast<int64_t>(base) > int64_t{1} << 32) {
        dialogs_.warn(msg::WrongAddress);
        return false;
    }

    writeFill_ = 0;
    writeFailed_ = false;
    startProgress(progress, end - from + 1);
    if (withHeader)
        BufferedWrite(S3HeaderRecord, sizeof S3HeaderRecord - 1, out);
    for (const ByteSegment& s : SegmentsOutsideRegions(from, end, base, excluded))
        WriteS3Segment(bin, out, s.from, s.to, base, progress);
    if (withHeader)
        BufferedWrite(S3EndRecord, sizeof S3EndRecord - 1, out);
    BufferedWrite(nullptr, 0, out);
    finishProgress(progress);
    return !writeFailed_;
}

} // namespace tovallo
