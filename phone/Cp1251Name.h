#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tovallo {

// A UTF-8 file name in Windows-1251 through iconv; nothing when a character has no Windows-1251
// form or the name is no valid UTF-8.
std::optional<std::string> Utf8NameToCp1251(std::string_view name);

} // namespace tovallo
