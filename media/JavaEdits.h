#pragma once

#include "media/JavaTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

class Workspace;
class Dialogs;

inline constexpr const char* JadFileFilter = "Java JAD file|*.jad";
inline constexpr const char* JarFileFilter = "Java JAR file|*.jar";
// The export and replace filter of a row: JAD for a descriptor, else JAR.
const char* JavaFileFilter(const JavaRow& row);

// The entry text of a replacement file named `fileName` (no folder, Windows-1251):
// "e:\S100\#" + the name before its first ".ja" + "#" + the name + one zero byte.
std::string JavaEntryText(const std::string& fileName);

// "Export selected File" of row `row` into `path`: its Size bytes from its address. A range past
// the end of the firmware is refused (message 2); an existing file is replaced only after
// message 3. Returns whether the file was written.
bool ExportJava(Workspace& ws, const JavaList& list, size_t row, const std::string& path,
                Dialogs& dialogs);

// "Replace selected File": queues `file` in place of row `row`. The file must be of the row's
// kind (".jar" or ".jad", any case; message 27) and its extension is written in lower case; its
// name must have a Windows-1251 form and its entry text must fit the name field. An empty file,
// or one that would run past the end of the firmware, is refused. Then question 25, and message
// 26 for a file larger than the row's Size. Queues a Java_ record (JavaAPP<n>.tmp; Save All
// writes the data, the entry text and the new size). Returns whether it was queued.
bool ReplaceJava(Workspace& ws, const JavaList& list, size_t row, const std::string& file,
                 Dialogs& dialogs);

} // namespace tovallo
