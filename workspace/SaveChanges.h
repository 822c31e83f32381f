#pragma once

#include <cstddef>
#include <cstdint>

namespace tovallo {

class Workspace;
class Dialogs;

// What a save wrote; false when nothing was saved (not asked for, refused or failed).
struct SaveSummary {
    bool saved = false;
    size_t changes = 0;
    uint64_t bytes = 0; // bytes written into the firmware
    explicit operator bool() const { return saved; }
};

// Writes every pending change into the firmware: strings, pictures, links, Java, sounds, each
// list in order. Every change is checked first (PendingChangesProblem); a failed check is
// reported and nothing is written. Before a change is first written, the firmware bytes it
// replaces are kept in the temporary folder for restore patches. A failing write stops the save
// and is reported. Saved only when everything was written. The lists stay as they are.
SaveSummary SaveAllChanges(Workspace& ws, Dialogs& dialogs);

// "Save All changes in Firmware...": asks message 11, then saves.
SaveSummary SaveAllChangesAsked(Workspace& ws, Dialogs& dialogs);

// The close-time steps: with changes pending, ask message 11 (Yes/No/Cancel; Yes saves), then
// delete the temporary files and close the firmware. Returns false, with the firmware, the
// changes and their files as they were, when the answer was Cancel or the save did not complete
// (the save has said why).
bool CloseFirmware(Workspace& ws, Dialogs& dialogs);

} // namespace tovallo
