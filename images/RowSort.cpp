#include "images/RowSort.h"

#include "workspace/Dialogs.h"
#include "workspace/HexText.h"

#include <cctype>
#include <limits>

namespace tovallo {

int CompareCellTexts(const std::string& a, const std::string& b) {
    const size_t length = std::max(a.size(), b.size());
    for (size_t k = 0; k < length; ++k) {
        const unsigned ca = k < a.size() ? static_cast<unsigned char>(a[k]) : 0;
        const unsigned cb = k < b.size() ? static_cast<unsigned char>(b[k]) : 0;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return 0;
}

std::optional<int64_t> ParseCellNumber(const std::string& text) {
    size_t i = 0, end = text.size();
    while (i < end && text[i] == ' ')
        ++i;
    while (end > i && text[end - 1] == ' ')
        --end;
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    unsigned base = 10;
    if (i < end && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < end && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    } else if (i < end && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    if (i >= end)
        return std::nullopt;
    uint64_t value = 0;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1;
    for (; i < end; ++i) {
        const int c = std::tolower(static_cast<unsigned char>(text[i]));
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return std::nullopt;
        if (value > (limit - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    if (value == limit && !negative)
        return std::nullopt;
    if (negative)
        return value == limit ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(value);
    return static_cast<int64_t>(value);
}

void ReportNotANumber(Dialogs& dialogs, const std::string& text) {
    dialogs.errorText(NotAnIntegerText(text));
}

} // namespace tovallo
