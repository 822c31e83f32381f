#include "workspace/S3Record.h"

#include <array>
#include <cstring>

namespace tovallo {

namespace {

// The two upper-case digits of every byte value, looked up instead of computed.
constexpr std::array<char, 512> MakeHexPairs() {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<char, 512> pairs{};
    for (int b = 0; b < 256; ++b) {
        pairs[2 * b] = digits[b >> 4];
        pairs[2 * b + 1] = digits[b & 0xF];
    }
    return pairs;
}
constexpr std::array<char, 512> HexPairs = MakeHexPairs();

inline char* putByte(char* out, uint8_t b) {
    std::memcpy(out, &HexPairs[2 * b], 2);
    return out + 2;
}

} // namespace

uint8_t S3Checksum(uint8_t count, uint32_t address, const uint8_t* data, size_t length) {
    unsigned sum = count + (address & 0xFF) + ((address >> 8) & 0xFF) + ((address >> 16) & 0xFF) +
                   (address >> 24);
    for (size_t i = 0; i < length; ++i)
        sum += data[i];
    return static_cast<uint8_t>(0xFF - (sum & 0xFF));
}

size_t FormatS3Record(uint32_t address, const uint8_t* data, size_t length, char* out) {
    const auto count = static_cast<uint8_t>(length + 5);
    char* p = out;
    *p++ = 'S';
    *p++ = '3';
    p = putByte(p, count);
    p = putByte(p, static_cast<uint8_t>(address >> 24));
    p = putByte(p, static_cast<uint8_t>(address >> 16));
    p = putByte(p, static_cast<uint8_t>(address >> 8));
    p = putByte(p, static_cast<uint8_t>(address));
    for (size_t i = 0; i < length; ++i)
        p = putByte(p, data[i]);
    p = putByte(p, S3Checksum(count, address, data, length));
    *p++ = '\r';
    *p++ = '\n';
    return static_cast<size_t>(p - out);
}

} // namespace tovallo
