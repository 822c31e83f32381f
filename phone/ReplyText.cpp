#include "phone/ReplyText.h"

namespace tovallo {

size_t FindOutsideQuotes(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty())
        return std::string_view::npos;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && i >= from && text.compare(i, needle.size(), needle) == 0)
            return i;
    }
    return std::string_view::npos;
}

void CleanReply(std::string& reply) {
    std::string out;
    out.reserve(reply.size());
    for (char c : reply)
        if (c != '\r' && c != '\n')
            out += c;
    for (size_t at = FindOutsideQuotes(out, "OK"); at != std::string::npos;
         at = FindOutsideQuotes(out, "OK", at))
        out.erase(at, 2);
    reply = std::move(out);
}

bool ReplyError(std::string_view reply, std::string* text) {
    static constexpr std::string_view Marker = "ERROR:";
    const size_t at = FindOutsideQuotes(reply, Marker);
    if (at == std::string_view::npos)
        return false;
    if (text) {
        const size_t start = at + Marker.size();
        const size_t end = reply.find("\r\n", start);
        *text = std::string(reply.substr(start, end == std::string_view::npos ? end : end - start));
    }
    return true;
}

std::optional<uint32_t> ParseDecimal(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    const size_t last = text.find_last_not_of(' ');
    text = text.substr(first, last - first + 1);
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

} // namespace tovallo
