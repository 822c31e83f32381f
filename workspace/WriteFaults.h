#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tovallo {

// A stand-in for a failing disk under every firmware and output-file write, so tests can make
// a save or a patch stop at a chosen byte: the write fails there (as a full disk fails it), or
// the process ends there at once (as a crash or a kill ends it). The programs never set one;
// the command line takes one from TOVALLO_WRITE_FAULT for its own crash tests.
struct WriteFault {
    enum class Action { Fail, Exit };
    Action action = Action::Fail;
    // Bytes that reach the disk before the fault; counted over all writes from when it was set.
    std::optional<uint64_t> atByte;
    // Or: the sync (file flush to disk) that fails, counted from 0.
    std::optional<unsigned> atSync;
    int error = ENOSPC;  // errno of a failing write or sync
    int exitStatus = 75; // status of the ended process
};

// Sets the fault (none: writes go through) and starts its counts anew.
void SetWriteFault(std::optional<WriteFault> fault);
// Reads "fail@N", "exit@N", "fail@syncK" or "exit@syncK"; empty for any other text.
std::optional<WriteFault> ParseWriteFault(const char* text);

// Bytes written and syncs made since the fault was set (a fault that never strikes counts them).
struct WriteCounts {
    uint64_t bytes = 0;
    unsigned syncs = 0;
};
WriteCounts WrittenSinceFaultSet();

// For the writers: how many of the next `count` bytes may be written. Fewer than `count` means
// the fault strikes after them: the writer writes those, then calls WriteFaultStrikes().
size_t WriteAllowance(size_t count);
// False (errno set) when the fault strikes at this sync.
bool SyncAllowed();
// Ends the process for an exit fault; sets errno for a failing one. Returns false.
bool WriteFaultStrikes();

} // namespace tovallo
