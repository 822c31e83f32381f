#pragma once

#include "srecord/BinaryFile.h"
#include "workspace/OutputFile.h"
#include "workspace/Workspace.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Dialogs;
class Progress;

// Converts between BIN files and Motorola S3 record files. The object owns the read and the
// write buffer; one conversion runs on it at a time. Messages (19, 20, 21, 23, 13 and text
// errors) go to the dialogs given at construction.
class S3Converter {
  public:
    // Blocks read from the input at a time.
    static constexpr size_t ReadBlockSize = 64 * 1024;
    // The output is written whenever this much is collected.
    static constexpr size_t WriteThreshold = 64 * 1024;
    // Characters kept of a text line; longer lines are consumed to their end but cut here
    // (a record needs at most 78 characters).
    static constexpr size_t MaxKeptLine = 1024;

    explicit S3Converter(Dialogs& dialogs,
                         std::chrono::milliseconds pumpInterval = std::chrono::milliseconds(50));

    // Appends `length` bytes to the output buffer and writes the buffer out when it holds
    // WriteThreshold bytes or more, or when `length` is 0. A failed write shows message 13
    // (once per conversion) and empties the buffer all the same.
    void BufferedWrite(const void* data, size_t length, OutputFile& out);
    // Empties the read buffer, so the next read refills it (after a seek of the input).
    void ResetReadBuffer();
    // The next line of `in` without its terminator: CR or LF, and a CR or LF right after it
    // belongs to the same terminator. Returns the line's length (0 at the end of the data);
    // `line` keeps at most MaxKeptLine characters of it.
    size_t ReadTextLine(BinaryFile& in, std::string& line);
    // Copies up to 16 bytes of `in` into `destination`; returns how many (0 at the end).
    size_t ReadDataBlock(BinaryFile& in, uint8_t* destination);
    // Writes the bytes of `bin` at offsets [from, to) as S3 records with address offset + base.
    void WriteS3Segment(BinaryFile& bin, OutputFile& out, int64_t from, int64_t to, uint32_t base,
                        Progress& progress);

    // Converts a BIN file into S3 records appended to the open `out` (the caller commits it).
    // A `stop` of 0 or less converts the whole file with `start` as the address of its first
    // byte; otherwise the offsets [start, stop) with their own offsets as addresses. Excluded
    // regions are left out. Returns false when nothing was converted (messages 19, 23) or a
    // write failed.
    bool BinToS3(const std::string& binName, OutputFile& out, int32_t start, int32_t stop,
                 bool withHeader, const std::vector<AddressRegion>& excluded, Progress& progress);

    // Converts the S3 records of a text file into a new BIN file: each record's data at its
    // address (placeAtAddress, gaps read as zero) or one after another. `quiet` suppresses the
    // "line is ignored" messages; checksum errors are always shown. Returns false when the
    // conversion could not run, was stopped by a malformed record or a write failure, or found
    // no S3 record at all; the BIN file is then not created (an existing one stays as it was).
    bool S3ToBin(const std::string& s3Name, const std::string& binName, bool placeAtAddress,
                 bool quiet, Progress& progress);

  private:
    bool refill(BinaryFile& in);
    void flush(OutputFile& out);
    bool convertRecord(const std::string& line, size_t lineIndex, bool placeAtAddress,
                       OutputFile& out);
    void writeOut(const char* data, size_t length, OutputFile& out);
    void startProgress(Progress& progress, int64_t maximum);
    void finishProgress(Progress& progress);
    // Advances the progress by `steps` and lets the window breathe about every pump interval.
    void tick(Progress& progress, size_t steps);

    Dialogs& dialogs_;
    std::chrono::milliseconds pumpInterval_;
    std::chrono::steady_clock::time_point lastPump_;
    unsigned pumpCheck_ = 0;
    int64_t progressDone_ = 0;

    std::vector<char> readBuffer_;
    size_t readPos_ = 0;
    size_t readFill_ = 0;

    std::vector<char> writeBuffer_;
    size_t writeFill_ = 0;
    bool writeFailed_ = false;
    // Where the output file's next flushed byte lands (place-at-address mode).
    int64_t filePos_ = 0;
    // Valid records read by the current S3 to BIN conversion.
    size_t recordsRead_ = 0;
};

} // namespace tovallo
