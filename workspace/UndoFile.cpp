#include "workspace/UndoFile.h"

#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/OutputFile.h"
#include "workspace/S3Record.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace tovallo {

namespace fs = std::filesystem;

namespace {

constexpr size_t ReadBlock = 4096;
constexpr size_t WriteThreshold = 64 * 1024;

std::string fullPath(const std::string& path) {
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? fs::absolute(path, ec).string() : real.string();
}

// FNV-1a: a stable short name for a full path, the same on every run.
uint64_t pathHash(const std::string& text) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (const unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return h;
}

struct Record {
    char type = 0;
    uint32_t address = 0;
    std::array<uint8_t, 64> data{};
    size_t length = 0;
};

// One S0, S3 or S7 record line, its count, digits and checksum all checked.
bool parseRecord(const std::string& line, Record& r) {
    if (line.size() < 4 || line[0] != 'S')
        return false;
    r.type = line[1];
    const size_t addressBytes = r.type == '0' ? 2 : (r.type == '3' || r.type == '7') ? 4 : 0;
    const int count = HexPairValue(&line[2]);
    if (addressBytes == 0 || count < 0 || static_cast<size_t>(count) < addressBytes + 1 ||
        line.size() != 4 + 2 * static_cast<size_t>(count))
        return false;
    r.length = static_cast<size_t>(count) - addressBytes - 1;
    if (r.length > r.data.size() || (r.type == '3' && r.length > S3MaxRecordData) ||
        (r.type == '7' && r.length != 0))
        return false;
    unsigned sum = static_cast<unsigned>(count);
    r.address = 0;
    const char* p = line.data() + 4;
    for (size_t i = 0; i < static_cast<size_t>(count); ++i, p += 2) {
        const int b = HexPairValue(p);
        if (b < 0)
            return false;
        sum += static_cast<unsigned>(b);
        if (i < addressBytes)
            r.address = (r.address << 8) | static_cast<uint32_t>(b);
        else if (i < addressBytes + r.length)
            r.data[i - addressBytes] = static_cast<uint8_t>(b);
    }
    return (sum & 0xFF) == 0xFF;
}

// The next line without its CR LF; false at the end. A line too long for any record is cut
// (and then fails to parse) instead of filling memory.
bool nextLine(std::istream& in, std::string& line) {
    line.clear();
    std::streambuf* buf = in.rdbuf();
    int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof())
        return false;
    for (; c != std::char_traits<char>::eof() && c != '\n'; c = buf->sbumpc())
        if (c != '\r' && line.size() <= 2 * S3MaxRecordText)
            line.push_back(static_cast<char>(c));
    return true;
}

// Reads every S3 record of an undo file of a firmware of `firmwareSize` bytes, after checking the
// whole file, so `use` sees nothing of a file that does not match. When `use` returns false the
// reading stops there, and `use` sets the error.
bool forEachRecord(const std::string& path, uint64_t firmwareSize, std::string& error,
                   const std::function<bool(const Record&)>& use) {
    for (const bool check : {true, false}) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            error = "\"" + path + "\" cannot be read.";
            return false;
        }
        std::string line;
        Record r;
        size_t lineNo = 0;
        size_t records = 0;
        bool ended = false;
        while (nextLine(in, line)) {
            ++lineNo;
            if (line.empty())
                continue;
            const std::string where = "line " + std::to_string(lineNo) + " of \"" + path + "\"";
            if (ended || !parseRecord(line, r) || (r.type == '0' && lineNo != 1)) {
                error = (ended ? "text follows the end record at " : "a damaged record at ") +
                        where + ".";
                return false;
            }
            ended = r.type == '7';
            if (r.type != '3')
                continue;
            if (uint64_t{r.address} + r.length > firmwareSize) {
                error = "the record at " + where + " lies outside the firmware (" +
                        std::to_string(firmwareSize) + " bytes).";
                return false;
            }
            ++records;
            if (!check && !use(r))
                return false; // `use` says why
        }
        if (!ended || records == 0) {
            error =
                "\"" + path + "\" " + (records == 0 ? "holds no record." : "has no end record.");
            return false;
        }
        if (!use)
            return true;
    }
    return true;
}

std::vector<ByteRange> merged(std::vector<ByteRange> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.start < b.start; });
    std::vector<ByteRange> out;
    for (const ByteRange& r : ranges) {
        if (r.length == 0)
            continue;
        if (!out.empty() && r.start <= out.back().start + out.back().length)
            out.back().length = std::max(out.back().length, r.start + r.length - out.back().start);
        else
            out.push_back(r);
    }
    return out;
}

// S3 text collected and written in large pieces.
class RecordWriter {
  public:
    explicit RecordWriter(OutputFile& out) : out_(out) { text_.reserve(WriteThreshold + 128); }
    bool add(uint32_t address, const uint8_t* data, size_t length) {
        char line[S3MaxRecordText];
        text_.append(line, FormatS3Record(address, data, length, line));
        return text_.size() < WriteThreshold || flush();
    }
    bool addText(const char* text) {
        text_ += text;
        return true;
    }
    bool flush() {
        const bool ok = out_.write(text_);
        text_.clear();
        return ok;
    }

  private:
    OutputFile& out_;
    std::string text_;
};

bool writeCurrentBytes(Workspace& ws, const ByteRange& range, RecordWriter& records,
                       std::string& error) {
    std::array<uint8_t, ReadBlock> block{};
    for (uint64_t done = 0; done < range.length;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(ReadBlock, range.length - done));
        const uint64_t at = range.start + done;
        if (ws.firmware.readAt(at, want, block.data()) != want) {
            error = "the firmware cannot be read at " + ToHexAddr(static_cast<uint32_t>(at)) + ".";
            return false;
        }
        for (size_t i = 0; i < want; i += S3BytesPerRecord)
            if (!records.add(static_cast<uint32_t>(at + i), block.data() + i,
                             std::min(S3BytesPerRecord, want - i)))
                return false;
        done += want;
    }
    return true;
}

OutputFile createUndoOutput(const Workspace& ws, std::string& error) {
    const std::string firmware = ws.firmware.path();
    OutputFile out = OutputFile::Create(UndoFileBeside(firmware));
    if (out.isOpen() || ws.undoFolder.empty()) {
        error = out.error();
        return out;
    }
    std::error_code ec;
    fs::create_directories(ws.undoFolder, ec);
    out = OutputFile::Create(UndoFileInFolder(firmware, ws.undoFolder));
    error = out.error();
    return out;
}

} // namespace

std::string UndoFileBeside(const std::string& firmwarePath) {
    return fullPath(firmwarePath) + ".undo.s3";
}

std::string UndoFileInFolder(const std::string& firmwarePath, const std::string& folder) {
    const std::string full = fullPath(firmwarePath);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(pathHash(full)));
    return (fs::path(folder) / (fs::path(full).filename().string() + "-" + hash + ".undo.s3"))
        .string();
}

std::optional<std::string> FindUndoFile(const std::string& firmwarePath,
                                        const std::string& folder) {
    std::error_code ec;
    for (const std::string& candidate :
         {UndoFileBeside(firmwarePath),
          folder.empty() ? std::string() : UndoFileInFolder(firmwarePath, folder)})
        if (!candidate.empty() && fs::is_regular_file(candidate, ec))
            return candidate;
    return std::nullopt;
}

std::optional<std::string> WriteUndoFile(Workspace& ws, std::vector<ByteRange> ranges,
                                         std::string& error) {
    const uint64_t size = static_cast<uint64_t>(ws.FwSize());
    const std::optional<std::string> leftover = FindUndoFile(ws.firmware.path(), ws.undoFolder);
    if (leftover && !forEachRecord(*leftover, size, error, nullptr)) {
        error = "the undo file \"" + *leftover + "\" of an earlier save is damaged: " + error +
                " Roll it back or remove it first.";
        return std::nullopt;
    }
    ranges = merged(std::move(ranges));
    if (ranges.empty() && !leftover)
        return std::string();
    OutputFile out = createUndoOutput(ws, error);
    if (!out.isOpen())
        return std::nullopt;
    RecordWriter records(out);
    records.addText(S3HeaderRecord);
    // A failing write of the undo file says why through the output file.
    const auto failed = [&out, &error] {
        if (error.empty())
            error = out.error();
        return std::nullopt;
    };
    for (const ByteRange& range : ranges)
        if (!writeCurrentBytes(ws, range, records, error))
            return failed();
    // The bytes from before the unfinished save come last, so they win where ranges overlap.
    if (leftover && !forEachRecord(*leftover, size, error, [&records](const Record& r) {
            return records.add(r.address, r.data.data(), r.length);
        }))
        return failed();
    records.addText(S3EndRecord);
    if (!records.flush() || !out.commit()) {
        error = out.error();
        return std::nullopt;
    }
    if (leftover && *leftover != out.target())
        RemoveUndoFile(*leftover);
    return out.target();
}

bool RemoveUndoFile(const std::string& path) {
    const bool removed = std::remove(path.c_str()) == 0;
    SyncFolder(fs::path(path).parent_path().string());
    return removed;
}

std::optional<std::vector<UndoRange>> ReadUndoFile(Workspace& ws, const std::string& path,
                                                   std::string& error) {
    std::vector<UndoRange> ranges;
    std::array<uint8_t, S3MaxRecordData> now{};
    const auto collect = [&](const Record& r) {
        const bool differs = ws.firmware.readAt(r.address, r.length, now.data()) != r.length ||
                             std::memcmp(now.data(), r.data.data(), r.length) != 0;
        if (!ranges.empty() && ranges.back().address + ranges.back().length == r.address) {
            ranges.back().length += static_cast<uint32_t>(r.length);
            ranges.back().differs = ranges.back().differs || differs;
        } else {
            ranges.push_back({r.address, static_cast<uint32_t>(r.length), differs});
        }
        return true;
    };
    if (!forEachRecord(path, static_cast<uint64_t>(ws.FwSize()), error, collect))
        return std::nullopt;
    return ranges;
}

bool RollBack(Workspace& ws, const std::string& path, std::string& error, uint64_t* bytes) {
    uint64_t written = 0;
    const auto restore = [&](const Record& r) {
        if (!ws.firmware.writeAt(r.address, r.data.data(), r.length)) {
            error = "writing the firmware at " + ToHexAddr(r.address) +
                    " failed: " + std::strerror(errno) + ".";
            return false;
        }
        written += r.length;
        return true;
    };
    if (!ws.FwIsOpen() || !forEachRecord(path, static_cast<uint64_t>(ws.FwSize()), error, restore))
        return false;
    if (!ws.firmware.flush()) {
        error =
            std::string("putting the firmware on the disk failed: ") + std::strerror(errno) + ".";
        return false;
    }
    RemoveUndoFile(path);
    if (bytes)
        *bytes = written;
    return true;
}

bool OfferRollback(Workspace& ws, Dialogs& dialogs) {
    if (!ws.FwIsOpen())
        return false;
    const std::optional<std::string> undo = FindUndoFile(ws.firmware.path(), ws.undoFolder);
    if (!undo)
        return false;
    const std::string name = fs::path(ws.firmware.path()).filename().string();
    if (!dialogs.askText("\"" + name + "\" has an undo file from a save that did not finish:\n" +
                         *undo +
                         "\n\nRoll the firmware back to the bytes it held before that save? Yes "
                         "rolls back and removes the undo file; No keeps it for later.")) {
        ws.keptUndoFile = *undo;
        return false;
    }
    std::string error;
    uint64_t bytes = 0;
    if (!RollBack(ws, *undo, error, &bytes)) {
        dialogs.errorText("The firmware was not rolled back: " + error +
                          " The undo file stays as it was.");
        return false;
    }
    dialogs.informText("Rolled \"" + name + "\" back: " + std::to_string(bytes) +
                       " bytes from the undo file.");
    return true;
}

} // namespace tovallo
