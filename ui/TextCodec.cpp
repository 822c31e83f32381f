#include "ui/TextCodec.h"

#include <array>

namespace tovallo::ui {

namespace {

// Unicode code points of the bytes 0x80-0xBF of Windows-1251; 0xC0-0xFF are U+0410-U+044F.
// A table rather than QStringConverter so the conversion does not depend on ICU being present.
constexpr std::array<char16_t, 64> HighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t Decode(unsigned char b) {
    if (b < 0x80)
        return b;
    if (b >= 0xC0)
        return static_cast<char16_t>(0x0410 + (b - 0xC0));
    return HighHalf[b - 0x80];
}

char Encode(char16_t c) {
    if (c < 0x80)
        return static_cast<char>(c);
    if (c >= 0x0410 && c <= 0x044F)
        return static_cast<char>(0xC0 + (c - 0x0410));
    for (size_t i = 0; i < HighHalf.size(); ++i)
        if (HighHalf[i] == c && c != 0xFFFD)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QString FromWin(const std::string& text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char b : text)
        out.append(QChar(Decode(static_cast<unsigned char>(b))));
    return out;
}

std::string ToWin(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text)
        out.push_back(Encode(c.unicode()));
    return out;
}

} // namespace tovallo::ui
