#include "media/FileNameText.h"

#include <iconv.h>

#include <memory>

namespace tovallo {

namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

} // namespace

std::optional<std::string> FileNameToWin1251(const std::string& name) {
    const iconv_t cd = iconv_open("CP1251", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    const Converter converter(cd);
    // Windows-1251 needs at most one byte per UTF-8 byte.
    std::string in = name;
    std::string out(name.size(), '\0');
    char* src = in.data();
    char* dst = out.data();
    size_t srcLeft = in.size();
    size_t dstLeft = out.size();
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0)
        return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace tovallo
