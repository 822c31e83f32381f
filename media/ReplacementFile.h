#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

class Workspace;
class Dialogs;

// The size of a file chosen to replace the data at `addr`, checked before anything is read:
// a file that cannot be read or is empty is refused with a message (a Size of 0 would end the
// firmware's table), and so is one that would run past the end of the firmware (message 2).
std::optional<uint32_t> ReplacementFileSize(const Workspace& ws, const std::string& path,
                                            uint32_t addr, Dialogs& dialogs);

// The file's bytes, exactly `size` of them (its size as checked); a file that changed
// meanwhile or cannot be read is reported and gives nothing.
std::optional<std::string> ReadReplacementFile(const std::string& path, uint32_t size,
                                               Dialogs& dialogs);

// The file name without its folder.
std::string BaseName(const std::string& path);
// Whether `name` ends in `suffix` in any letter case (ASCII).
bool EndsWithNoCase(const std::string& name, const std::string& suffix);

} // namespace tovallo
