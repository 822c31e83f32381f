#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;

// The undo file of a save: before Save All writes its first byte, the firmware's bytes at every
// range it is about to overwrite go into an S3 file (a header, 16-byte S3 records at firmware
// offsets, the end record), so the firmware can be rolled back, by this program or by any S3
// tool, when the save is cut short. It lies beside the firmware as "FILE.undo.s3", or, when the
// firmware's folder is not writable, in the workspace's undo folder as
// "FILE-<hash of the firmware's full path>.undo.s3". It is removed when the save has reached
// the disk.

struct ByteRange {
    uint64_t start = 0;
    uint64_t length = 0;
};

// The undo file's name beside the firmware, and in `folder`.
std::string UndoFileBeside(const std::string& firmwarePath);
std::string UndoFileInFolder(const std::string& firmwarePath, const std::string& folder);
// The undo file a save of this firmware left behind, beside it or in `folder`.
std::optional<std::string> FindUndoFile(const std::string& firmwarePath, const std::string& folder);

// Writes the undo file of the open firmware for a save over `ranges`, whole and synced to the
// disk (file and folder). An undo file an unfinished save left behind is kept inside the new
// one, after the current bytes, so a rollback still goes back to the bytes before that save.
// Returns the file's path (empty when there is nothing to keep), or nothing with `error` set.
std::optional<std::string> WriteUndoFile(Workspace& ws, std::vector<ByteRange> ranges,
                                         std::string& error);

// Removes a used undo file and puts the removal on the disk.
bool RemoveUndoFile(const std::string& path);

// One run of consecutive bytes of an undo file, and whether the firmware holds other bytes there.
struct UndoRange {
    uint32_t address = 0;
    uint32_t length = 0;
    bool differs = false;
};

// The ranges of an undo file of the open firmware, checked whole: every line a valid S0 or S3
// record, the S7 end record last, and every record inside the firmware. Nothing with `error`
// set for a file that does not match.
std::optional<std::vector<UndoRange>> ReadUndoFile(Workspace& ws, const std::string& path,
                                                   std::string& error);

// Writes the undo file's bytes back into the open firmware, puts them on the disk and removes
// the undo file. A file that does not match the firmware is refused with nothing written; a
// failing write leaves the undo file for another try. False with `error` set then.
bool RollBack(Workspace& ws, const std::string& path, std::string& error,
              uint64_t* bytes = nullptr);

// After a firmware is opened: when a save of it left an undo file, says so and offers to roll
// back (Yes rolls back and removes the file; No keeps it for later, in ws.keptUndoFile). True
// when it rolled back.
bool OfferRollback(Workspace& ws, Dialogs& dialogs);

} // namespace tovallo
