// One S3 record line, read the way the S3 converter reads every line: a record that converts
// must give back exactly the line FormatS3Record writes for its address and data.
#include "FuzzSupport.h"

#include "srecord/S3Converter.h"
#include "workspace/Progress.h"
#include "workspace/S3Record.h"

#include <cctype>

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > S3MaxRecordText + 8)
        return 0;
    const std::string line(fuzz::AsText(data, size));
    if (line.find_first_of("\r\n") != std::string::npos)
        return 0;
    const std::string in = fuzz::WriteScratchFile("record.s3", line + "\r\n");
    const std::string out = fuzz::ScratchPath("record.bin");
    fuzz::QuietDialogs dialogs;
    S3Converter converter(dialogs, std::chrono::milliseconds(0));
    NullProgress progress;
    if (!converter.S3ToBin(in, out, false, true, progress))
        return 0;
    // The record was taken: the line is "S3", a count, an address, the data and a checksum.
    const std::string bytes = fuzz::ReadFile(out);
    fuzz::Require(line.size() >= 14 && line.compare(0, 2, "S3") == 0, "a taken line is S3");
    fuzz::Require(bytes.size() <= S3MaxRecordData, "a record holds at most 32 bytes");
    uint32_t address = 0;
    for (size_t i = 4; i < 12; i += 2)
        address = address << 8 | static_cast<uint32_t>(HexPairValue(&line[i]));
    char text[S3MaxRecordText + 1];
    const size_t length =
        FormatS3Record(address, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text);
    std::string expected(text, length - 2);
    std::string upper = line.substr(0, expected.size());
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    fuzz::Require(upper == expected, "a taken record formats back to its own line");
    return 0;
}
