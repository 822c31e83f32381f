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
// in one file between a header and an end record, or one file per row. The name is asked for
// (S-record filter) when not given; an existing file is replaced only after Yes to message 3.
// Nothing happens for an empty table. Returns true when every checked row was written
// (message 22 shown); on a failure the incomplete file is removed.
bool CreateS3Patch(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                   PatchFiles mode, std::optional<std::string> chosenName = std::nullopt);

// "Create restore": the bytes the open firmware holds where the checked rows would write, in
// one file named exactly as chosen. Nothing happens for an empty table or without a firmware.
bool CreateRestore(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                   std::optional<std::string> chosenName = std::nullopt);

} // namespace tovallo
