#pragma once

#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "srecord/S3Converter.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tovallo::testing {

// Runs BinToS3 on `bin` into a fresh file and returns the file's text.
inline std::string BinToS3Text(S3Converter& converter, const std::string& bin,
                               const std::string& out, int32_t start, int32_t stop, bool header,
                               const std::vector<AddressRegion>& regions = {}) {
    OutputFile file = OutputFile::Create(out);
    NullProgress progress;
    converter.BinToS3(bin, file, start, stop, header, regions, progress);
    file.commit();
    return ReadWholeFile(out);
}

// The lines of a text with CR LF ends (a missing CR LF after the last line shows as "<no CRLF>").
inline std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        lines.push_back(text.substr(pos, end - pos));
    if (pos < text.size())
        lines.push_back(text.substr(pos) + "<no CRLF>");
    return lines;
}

// Address and data of an S3 record line.
struct ParsedRecord {
    uint32_t address = 0;
    std::string data;
};
inline ParsedRecord ParseRecordLine(const std::string& line) {
    ParsedRecord r{static_cast<uint32_t>(std::stoul(line.substr(4, 8), nullptr, 16)), ""};
    for (int i = 0; i < std::stoi(line.substr(2, 2), nullptr, 16) - 5; ++i)
        r.data += static_cast<char>(std::stoi(line.substr(12 + 2 * i, 2), nullptr, 16));
    return r;
}

// Writes the data of the S3 records of `text` into `image` at their address - base.
inline void ApplyS3(const std::string& text, std::string& image, uint32_t base = 0) {
    for (const std::string& line : CrLfLines(text))
        if (line.rfind("S3", 0) == 0) {
            const ParsedRecord r = ParseRecordLine(line);
            image.replace(r.address - base, r.data.size(), r.data);
        }
}

// `bytes` with the offsets [from, to) of each range set to zero.
inline std::string Zeroed(std::string bytes,
                          std::initializer_list<std::pair<size_t, size_t>> ranges) {
    for (const auto& [from, to] : ranges)
        std::fill(bytes.begin() + from, bytes.begin() + to, '\0');
    return bytes;
}

} // namespace tovallo::testing
