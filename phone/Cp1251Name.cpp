#include "phone/Cp1251Name.h"

#include <iconv.h>

#include <memory>
#include <type_traits>

namespace tovallo {

namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

} // namespace

std::optional<std::string> Utf8NameToCp1251(std::string_view name) {
    const iconv_t cd = iconv_open("CP1251", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    const Converter converter(cd);
    std::string in(name);
    std::string out(name.size(), '\0'); // never more bytes than the UTF-8 form
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
