#pragma once

#include <optional>
#include <string>

namespace tovallo {

// A file name as the file system gives it (UTF-8) in Windows-1251, through iconv; nothing when a
// character has no Windows-1251 form or the name is no valid UTF-8.
std::optional<std::string> FileNameToWin1251(const std::string& name);

} // namespace tovallo
