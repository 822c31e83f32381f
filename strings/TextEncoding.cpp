#include "strings/TextEncoding.h"

namespace tovallo {

std::string WinToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else if (b < 0xC0) {
            out += '`'; // no place in the firmware's alphabet (Ё and ё included)
        } else if (b < 0xF0) {
            out += '\xD0';
            out += static_cast<char>(b - 0x30);
        } else {
            out += '\xD1';
            out += static_cast<char>(b - 0x70);
        }
    }
    return out;
}

// A pair led by 0xD0 or 0xD1 whose second byte lies outside the letter tables (or is missing at
// the end of the input) gives "`", the same mark as any other unknown two-byte sequence, so
// that the user sees one placeholder for each unreadable character.
std::string Utf8ToWin(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if (b < 0xC0 || b >= 0xFE) {
            out += '.';
            ++i;
            continue;
        }
        const auto c = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        i += 2;
        if (b == 0xD0 && c >= 0x90 && c <= 0xBF)
            out += static_cast<char>(c + 0x30);
        else if (b == 0xD1 && c >= 0x80 && c <= 0x8F)
            out += static_cast<char>(c + 0x70);
        else if (b == 0xD1 && c == 0x90)
            out += '\xA8';
        else if (b == 0xD1 && c == 0x91)
            out += '\xB8';
        else
            out += '`';
    }
    return out;
}

} // namespace tovallo
