#pragma once

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

// Value of a hexadecimal digit, or -1 for any other character.
int HexDigitValue(char c);
// Value of two hexadecimal digits, or -1 when either is no digit.
int HexPairValue(const char* text);

} // namespace tovallo
