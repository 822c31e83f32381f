#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;

// A JAD read back is refused above this size rather than read.
inline constexpr uint64_t MaxJadSize = 1 << 20;

// The text shown when a JAR's manifest cannot be had.
inline constexpr const char* JarExpandError = "Error expanded Jar!";

// The lines of a manifest or JAD: CR, LF or CR LF ends a line (not kept). A line that begins
// with one blank continues the line before it (JAR files wrap lines after 72 bytes).
std::vector<std::string> ManifestLines(const std::string& text);

// The JAD beside a JAR: its path with the last three characters replaced by "jad".
std::string JadPathFor(const std::string& jarPath);

// The JAD's text: the manifest's last MIDlet-1, MIDlet-Name, MIDlet-Vendor and MIDlet-Version
// lines (found by their upper-case form, kept in their own case), "MIDlet-Jar-Size: " with
// `jarSize`, "MIDlet-Jar-URL: " with `jarName`, then every line of `existingJad` that holds none
// of those six keys. Lines shorter than 3 characters are left out; each ends with CR LF.
std::string BuildJad(const std::string& manifest, uint64_t jarSize, const std::string& jarName,
                     const std::string& existingJad);

// "Create/Correct JAD file" for the JAR `jarPath`: reads its manifest and the JAD beside it (if
// any) and writes the JAD anew. Needs no open firmware (an open one is never written over).
// "Error expanded Jar!" when the manifest cannot be had. Returns the JAD's path when written.
std::optional<std::string> CreateJadFile(const Workspace& ws, const std::string& jarPath,
                                         Dialogs& dialogs);

} // namespace tovallo
