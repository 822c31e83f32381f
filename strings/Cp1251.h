#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tovallo {

// Windows-1251 (glibc iconv's "CP1251") to UTF-8 and back, for text shown to or typed by a user.
// The firmware's own UTF-8 strings use the limited tables of TextEncoding.h instead.

// Every byte converts; 0x98, which the code page leaves unassigned, becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view text);

struct Cp1251Result {
    std::optional<std::string> text; // the Windows-1251 bytes; empty when there are none
    std::string unconvertible;       // then the first character without a form (its UTF-8 bytes)
    // Why there are no Windows-1251 bytes, in ASCII words ("U+03A9 has no Windows-1251 form").
    std::string problem() const;
};

// A text composed around file names, for showing: its words are ASCII or Windows-1251, while the
// file names in it are the system's UTF-8 bytes. Each run of non-ASCII bytes that is valid UTF-8
// stays as it is; every other run is read as Windows-1251. (A run of Windows-1251 letters is
// almost never valid UTF-8.)
std::string ComposedTextToUtf8(std::string_view text);

// UTF-8 to Windows-1251. A character the code page lacks (or malformed UTF-8) gives no text at
// all, never a substitute such as '?'.
Cp1251Result Utf8ToCp1251(std::string_view text);

} // namespace tovallo
