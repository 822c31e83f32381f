#pragma once

#include "media/SoundList.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;

// "Find Sounds&&Music": replaces `list` by every "MMMD" from FlashStart on, found with the
// resumable text search, so a second "MMMD" inside a sound is listed too. A header whose length
// is 0 or has its top bit set, one whose length field is cut by the end of the file, and one at
// offset 0 are not listed; the scan goes on after each. Message 8 at the end.
void FindSounds(Workspace& ws, SoundList& list, Progress& bar, Dialogs& dialogs);

// "Find Sounds Table": empties `list`, searches the model's SoundTableSig from FlashStart and
// returns the table address S + 8 after message 8; message 29 and nothing when not found.
std::optional<uint32_t> FindSoundsTable(Workspace& ws, SoundList& list, Progress& bar,
                                        Dialogs& dialogs);

// Reads the firmware sound table from `table`: Addr and Size (little-endian) then the model's
// SoundEntryPad, until an Addr of 0 or beyond the firmware, a Size below 1 (signed) or an entry
// cut by the end of the file. Rows are "Sound_" r; SoundLinks hold each entry's offset.
SoundList ReadSoundsTable(Workspace& ws, uint32_t table);

// "Read Sounds Table" on the text of "Table addr: ": the text is cleaned and written back ("0x"
// alone reads as 0x0); an address beyond the firmware gives message 2 and leaves `list` as it
// was. Returns whether the table was read.
bool ReadSoundsTableAt(Workspace& ws, std::string& addressText, SoundList& list, Dialogs& dialogs);

} // namespace tovallo
