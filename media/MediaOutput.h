#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;

// The files the sound and Java operations write (exports, the sound table file, JAD files) all
// go through this one place: the bytes go to a temporary file in the target's folder, which is
// renamed over the target when complete, so a failure leaves no partial output behind.

// Refuses, with a message, an output that is the open firmware or one of `inputs` (the same
// device and inode after following links). Checked before message 3 and before anything is made.
bool OutputAllowed(const Workspace& ws, const std::string& path,
                   const std::vector<std::string>& inputs, Dialogs& dialogs);

// Writes the output through `produce`, which appends its bytes to the open temporary file and
// returns false on a failure. Checks the target with OutputAllowed first; the caller asks
// message 3 before. File errors are reported; returns whether the target now holds the output.
bool WriteOutputFile(const std::string& path, const std::function<bool(std::FILE*)>& produce,
                     const std::vector<std::string>& inputs, const Workspace& ws, Dialogs& dialogs);
bool WriteOutputFile(const std::string& path, const std::string& bytes,
                     const std::vector<std::string>& inputs, const Workspace& ws, Dialogs& dialogs);

// Export: `size` bytes of the firmware from `offset` into `path`. A range that runs past the end
// of the firmware is refused (message 2); an existing file is replaced only after message 3.
bool ExportFirmwareRange(Workspace& ws, uint32_t offset, uint32_t size, const std::string& path,
                         Dialogs& dialogs);

} // namespace tovallo
