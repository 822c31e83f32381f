#pragma once

#include "media/SoundList.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;

// The filter of sound files.
inline constexpr const char* SoundFileFilter = "Sound/Music|*.mmf";

// "Export Sound/Music" of row `row` into `path` (the front end proposes the row's name): its
// Size bytes from its address. A range past the end of the firmware is refused (message 2); an
// existing file is replaced only after message 3. Returns whether the file was written.
bool ExportSound(Workspace& ws, const SoundList& list, size_t row, const std::string& path,
                 Dialogs& dialogs);

// "Replace Sound/Music to Selected file": queues `file` in place of row `row`. The file's name
// must end in ".mmf" in any case (message 27); question 28; an empty file, or one that would run
// past the end of the firmware, is refused; a file larger than the row's Size asks message 26.
// Queues a Sound_ record with the file's bytes (Snd_<n>.tmp) and, when the row came from the
// firmware table, a Links_ record writing the new size into the entry's Size field. The list is
// not changed. Returns whether the replacement was queued.
bool ReplaceSound(Workspace& ws, const SoundList& list, size_t row, const std::string& file,
                  Dialogs& dialogs);

// "Find Sound Link": the positions from FlashStart on that hold row `row`'s address as a
// little-endian word, at most 32768 of them, in order; message 8 at the end.
std::vector<uint32_t> FindSoundLinks(Workspace& ws, const SoundList& list, size_t row,
                                     Progress& bar, Dialogs& dialogs);

// "Change Sound Addr": after question 18, queues one Links_ record per position of `selected`
// (in the order given) with the address typed in `newAddressText` (cleaned and written back),
// and shows that address in row `row`. Nothing happens without positions or typed text.
// Returns whether the changes were queued.
bool ChangeSoundAddr(Workspace& ws, SoundList& list, size_t row,
                     const std::vector<uint32_t>& selected, std::string& newAddressText,
                     Dialogs& dialogs);

} // namespace tovallo
