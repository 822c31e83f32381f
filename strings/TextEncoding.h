#pragma once

#include <string>

namespace tovallo {

// Windows-1251 text to the UTF-8 bytes a firmware holds (Russian letters and ASCII only).
std::string WinToUtf8(const std::string& text);
// UTF-8 bytes from a firmware to Windows-1251 text (Russian letters and ASCII only).
std::string Utf8ToWin(const std::string& bytes);

} // namespace tovallo
