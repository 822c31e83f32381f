#pragma once

namespace tovallo {

class Workspace;
class Dialogs;

// Writes every pending change into the firmware: strings, pictures, links, Java, sounds, each
// list in order. Every change is checked first (PendingChangesProblem); a failed check is
// reported and nothing is written. Before a change is first written, the firmware bytes it
// replaces are kept in the temporary folder for restore patches. A failing write stops the save
// and is reported. Returns true when everything was written. The lists stay as they are.
bool SaveAllChanges(Workspace& ws, Dialogs& dialogs);

// "Save All changes in Firmware...": asks message 11, then saves.
void SaveAllChangesAsked(Workspace& ws, Dialogs& dialogs);

// The close-time steps: offer to save pending changes, delete temporary files, close the
// firmware.
void CloseFirmware(Workspace& ws, Dialogs& dialogs);

} // namespace tovallo
