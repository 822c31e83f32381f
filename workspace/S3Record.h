#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tovallo {

// The S0 header written before the data records (its data are the letters "HDR").
inline constexpr char S3HeaderRecord[] = "S00600004844521B\r\n";
// The S7 end record; its start address is fixed, whatever data were written.
inline constexpr char S3EndRecord[] = "S705A002000058\r\n";

// Data bytes per written record; the last record of a segment carries the rest.
inline constexpr size_t S3BytesPerRecord = 16;
// The most data bytes a read record may hold (count 0x25).
inline constexpr size_t S3MaxRecordData = 32;
// The longest record text: "S3", count, address, 32 data bytes, checksum, CR LF.
inline constexpr size_t S3MaxRecordText = 2 + 2 + 8 + 2 * S3MaxRecordData + 2 + 2;

// Ones' complement of the low byte of the sum of count, address and data bytes.
uint8_t S3Checksum(uint8_t count, uint32_t address, const uint8_t* data, size_t length);

// Writes the record "S3" count address data checksum CR LF with upper-case digits into `out`
// (room for S3MaxRecordText characters); returns its length. `length` is at most 32.
size_t FormatS3Record(uint32_t address, const uint8_t* data, size_t length, char* out);

// The value of every character as a hexadecimal digit, -1 for the characters that are none.
inline constexpr std::array<int8_t, 256> HexDigitValues = [] {
    std::array<int8_t, 256> values{};
    for (int c = 0; c < 256; ++c)
        values[static_cast<size_t>(c)] = -1;
    for (int c = '0'; c <= '9'; ++c)
        values[static_cast<size_t>(c)] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        values[static_cast<size_t>(c)] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c)
        values[static_cast<size_t>(c)] = static_cast<int8_t>(c - 'a' + 10);
    return values;
}();

// Value of a hexadecimal digit, or -1 for any other character.
inline int HexDigitValue(char c) {
    return HexDigitValues[static_cast<unsigned char>(c)];
}
// Value of two hexadecimal digits, or -1 when either is no digit. Inline: the S3 reader calls
// it for every byte of every record.
inline int HexPairValue(const char* text) {
    const int hi = HexDigitValue(text[0]);
    const int lo = HexDigitValue(text[1]);
    return (hi | lo) < 0 ? -1 : (hi << 4) | lo;
}

} // namespace tovallo
