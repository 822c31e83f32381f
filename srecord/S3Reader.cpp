// S3 to BIN: the records of an S3 text file written into a BIN file.
#include "srecord/S3Converter.h"
#include "workspace/S3Record.h"

#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Progress.h"

namespace tovallo {

namespace {

// File positions are kept below 2 GiB: a record above would make a BIN file of gigabytes.
constexpr uint32_t HighestPlaceableAddress = 0x7FFFFFFF;

} // namespace

bool S3Converter::convertRecord(const std::string& line, size_t lineIndex, bool placeAtAddress,
                                OutputFile& out) {
    // The line number is text only for the rare message.
    const auto index = [lineIndex] { return std::to_string(lineIndex); };
    auto malformed = [&](const std::string& why) {
        dialogs_.errorText("Line " + index() + " of the S3 file is no valid record: " + why +
                           ". The conversion is stopped.");
        return false;
    };
    const int count = line.size() >= 4 ? HexPairValue(&line[2]) : -1;
    if (count < 0)
        return malformed("its count is no hexadecimal number");
    // A count below 5 leaves no room for address and checksum; above 0x25 the record holds
    // more data than a record may. Such a record is dropped like one with a wrong checksum.
    if (count < 5 || count > static_cast<int>(S3MaxRecordData) + 5) {
        dialogs_.warn(msg::ChecksumMismatch, index());
        return true;
    }
    const size_t bytesInLine = static_cast<size_t>(count);
    if (line.size() < 4 + 2 * bytesInLine)
        return malformed("it is shorter than its count says");

    // One pass decodes the bytes, notes any character that is no digit and sums the bytes: with
    // the count, address, data and checksum byte the low byte of the sum is 0xFF when the
    // checksum is right.
    uint8_t bytes[4 + S3MaxRecordData + 1];
    const char* text = line.data() + 4;
    int invalid = 0;
    unsigned sum = static_cast<unsigned>(count);
    for (size_t i = 0; i < bytesInLine; ++i) {
        const int b = HexPairValue(text + 2 * i);
        invalid |= b;
        bytes[i] = static_cast<uint8_t>(b);
        sum += bytes[i];
    }
    if (invalid < 0)
        return malformed("it holds characters that are no hexadecimal digits");
    const uint32_t address = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                             (uint32_t{bytes[2]} << 8) | bytes[3];
    const uint8_t* data = bytes + 4;
    const size_t dataLength = bytesInLine - 5;
    if ((sum & 0xFF) != 0xFF) {
        dialogs_.warn(msg::ChecksumMismatch, index());
        return true;
    }
    if (placeAtAddress && dataLength > 0) {
        if (address > HighestPlaceableAddress) {
            dialogs_.errorText("Line " + index() + " of the S3 file has the address " +
                               ToHexAddr(address) +
                               ", too high to be placed in a BIN file; the record is dropped.");
            return true;
        }
        // Contiguous records stay in the buffer; any other address flushes it and moves the
        // file there (bytes never written before a higher position read as zero).
        if (static_cast<int64_t>(address) != filePos_ + static_cast<int64_t>(writeFill_)) {
            flush(out);
            filePos_ = address;
            if (!out.seek(address) && !writeFailed_) {
                writeFailed_ = true;
                dialogs_.warn(msg::Error);
            }
        }
    }
    BufferedWrite(data, dataLength, out);
    ++recordsRead_;
    return true;
}

bool S3Converter::S3ToBin(const std::string& s3Name, const std::string& binName,
                          bool placeAtAddress, bool quiet, Progress& progress) {
    BinaryFile in = BinaryFile::OpenForReading(s3Name);
    const int64_t size = in.isOpen() ? in.size() : -1;
    if (size < 0) {
        dialogs_.warn(msg::OriginalNotFound);
        return false;
    }
    OutputFile out = OutputFile::Create(binName);
    if (!out.isOpen()) {
        dialogs_.warn(msg::OriginalNotFound);
        return false;
    }
    writeFill_ = 0;
    writeFailed_ = false;
    filePos_ = 0;
    recordsRead_ = 0;
    ResetReadBuffer();
    startProgress(progress, size);

    bool completed = true;
    std::string line;
    for (size_t lineIndex = 0; !writeFailed_; ++lineIndex) {
        const size_t length = ReadTextLine(in, line);
        tick(progress, length);
        if (length == 0)
            break;
        if (line.compare(0, 2, "S3") == 0) {
            if (!convertRecord(line, lineIndex, placeAtAddress, out)) {
                completed = false;
                break;
            }
        } else if (!quiet) {
            dialogs_.warn(msg::LineIgnored, std::to_string(lineIndex));
        }
    }
    BufferedWrite(nullptr, 0, out);
    finishProgress(progress);
    if (!completed || writeFailed_)
        return false;
    if (recordsRead_ == 0) {
        dialogs_.errorText("\"" + s3Name + "\" holds no valid S3 record; no BIN file was written.");
        return false;
    }
    if (!out.commit()) {
        dialogs_.errorText(out.error());
        return false;
    }
    return true;
}

} // namespace tovallo
