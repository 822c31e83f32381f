#include "workspace/HexText.h"

#include "workspace/Dialogs.h"

#include <cctype>

namespace tovallo {

namespace {

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return (std::toupper(static_cast<unsigned char>(c)) - 'A') + 10;
}

std::optional<uint32_t> reject(const std::string& text, Dialogs* dialogs) {
    if (dialogs)
        dialogs->errorText(NotAnIntegerText(text));
    return std::nullopt;
}

} // namespace

std::string NotAnIntegerText(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

std::string ToHexAddr(uint32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "0x00000000";
    for (int i = 9; i >= 2; --i) {
        out[i] = digits[value & 0xF];
        value >>= 4;
    }
    return out;
}

void CleanHexText(std::string& text) {
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)
        text.erase(0, 2);
    std::string digits;
    for (char c : text)
        if (isHexDigit(c))
            digits += c;
    text = digits.empty() ? "0x0" : "0x" + digits;
}

std::optional<uint32_t> ParseHexAddr(const std::string& text, Dialogs* dialogs) {
    size_t i = 0;
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)
        i = 2;
    else if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X'))
        i = 1;
    else
        return ParseDecimal(text, dialogs);
    if (i == text.size())
        return reject(text, dialogs);
    while (i + 1 < text.size() && text[i] == '0')
        ++i;
    if (text.size() - i > 8)
        return reject(text, dialogs);
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        if (!isHexDigit(text[i]))
            return reject(text, dialogs);
        value = (value << 4) | static_cast<uint32_t>(hexValue(text[i]));
    }
    return value;
}

void CleanDecText(std::string& text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    text = digits;
}

std::optional<uint32_t> ParseDecimal(const std::string& text, Dialogs* dialogs) {
    if (text.empty())
        return reject(text, dialogs);
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return reject(text, dialogs);
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > 0xFFFFFFFFu)
            return reject(text, dialogs);
    }
    return static_cast<uint32_t>(value);
}

} // namespace tovallo
