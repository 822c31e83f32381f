#pragma once

#include <optional>
#include <string>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;
class PatchTable;

// The chosen patch name with its first ".s3" removed (case-sensitive).
std::string PatchBaseName(const std::string& chosen);
// One-file mode: the base name + ".s3".
std::string OneFilePatchName(const std::string& chosen);
// Different-files mode: the base name + "_" + grid row (from 1) + ".s3".
std::string RowPatchName(const std::string& chosen, size_t gridRow);

enum class PatchFiles { OneFile, DifferentFiles };

// "Create s3 patch": the checked rows of `table` as S3 records at their firmware addresses,
// in one file between a header and an end record, or one file per row. Nothing happens for an
// empty table. The pending changes are checked first as Save All checks them
// (PendingChangesProblem). The name is asked for (S-record filter) when not given; an output
// that is the open firmware or no regular file is refused, existing ones are replaced only
// after Yes to message 3. All files are written aside and put in place together, so a failure
// leaves every earlier file as it was and adds none. True when every checked row was written
// (message 22 shown).
bool CreateS3Patch(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                   PatchFiles mode, std::optional<std::string> chosenName = std::nullopt);

// "Create restore": what the firmware held before the checked rows' changes, in one file named
// exactly as chosen: the bytes Save All kept before it first wrote a change, else the bytes the
// open firmware holds now. Checked and written like a patch. Nothing happens for an empty table
// or without a firmware.
bool CreateRestore(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                   std::optional<std::string> chosenName = std::nullopt);

// A patch and its restore file as one operation: both are written, or neither and every
// earlier file stays as it was. A restore name that names one of the patch files is refused.
bool CreatePatchAndRestore(Workspace& ws, const PatchTable& table, Dialogs& dialogs,
                           Progress& progress, PatchFiles mode, const std::string& chosenName,
                           const std::string& restoreName);

} // namespace tovallo
