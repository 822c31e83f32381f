#include "strings/Cp1251.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iconv.h>
#include <stdexcept>

namespace tovallo {

namespace {

// One iconv conversion descriptor, closed when it goes.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Appends the conversion of `in` to `out` up to the first byte it cannot convert; returns the
    // number of bytes converted (in.size() when all were).
    size_t convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data()); // iconv does not write through it
        size_t srcLeft = in.size();
        char buffer[1024];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t done = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (done == static_cast<size_t>(-1) && errno != E2BIG)
                break;
        }
        return in.size() - srcLeft;
    }

  private:
    iconv_t cd_;
};

// A descriptor carries conversion state, so each thread keeps its own.
Iconv& fromCp1251() {
    thread_local Iconv cd("UTF-8", "CP1251");
    return cd;
}

Iconv& toCp1251() {
    thread_local Iconv cd("CP1251", "UTF-8");
    return cd;
}

bool isValidUtf8(std::string_view text) {
    thread_local Iconv cd("UTF-32LE", "UTF-8");
    std::string ignored;
    return cd.convert(text, ignored) == text.size();
}

// The length of the UTF-8 sequence led by `lead` (1 for a byte that leads none).
size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8)
        return 4;
    if (lead >= 0xE0)
        return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// The code point of one well-formed UTF-8 sequence, or nothing.
std::optional<char32_t> codePoint(std::string_view seq) {
    const auto lead = static_cast<unsigned char>(seq.empty() ? 0 : seq[0]);
    if (seq.empty() || seq.size() != sequenceLength(lead) || (seq.size() == 1 && lead >= 0x80))
        return std::nullopt;
    char32_t cp = seq.size() == 1 ? lead : lead & (0x7F >> seq.size());
    for (size_t i = 1; i < seq.size(); ++i) {
        const auto b = static_cast<unsigned char>(seq[i]);
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (b & 0x3F);
    }
    constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000}; // overlong forms are malformed
    if (cp < shortest[seq.size()] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return std::nullopt;
    return cp;
}

} // namespace

std::string Cp1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const size_t done = fromCp1251().convert(text, out);
        if (done == text.size())
            break;
        out += "\xEF\xBF\xBD";
        text.remove_prefix(done + 1);
    }
    return out;
}

Cp1251Result Utf8ToCp1251(std::string_view text) {
    std::string out;
    const size_t done = toCp1251().convert(text, out);
    if (done == text.size())
        return {std::move(out), {}};
    const std::string_view rest = text.substr(done);
    const size_t length =
        std::min(sequenceLength(static_cast<unsigned char>(rest[0])), rest.size());
    return {std::nullopt, std::string(rest.substr(0, length))};
}

std::string Cp1251Result::problem() const {
    if (text)
        return {};
    const auto cp = codePoint(unconvertible);
    char name[16];
    if (!cp) {
        std::snprintf(name, sizeof name, "0x%02X",
                      static_cast<unsigned char>(unconvertible.empty() ? 0 : unconvertible[0]));
        return std::string("the text is no valid UTF-8 (byte ") + name + ")";
    }
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(*cp));
    return std::string("the character ") + name + " has no Windows-1251 form";
}

std::string ComposedTextToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            out += text[i++];
            continue;
        }
        size_t end = i;
        while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80)
            ++end;
        const std::string_view run = text.substr(i, end - i);
        out += isValidUtf8(run) ? std::string(run) : Cp1251ToUtf8(run);
        i = end;
    }
    return out;
}

} // namespace tovallo
