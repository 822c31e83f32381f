#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;

// The files the sound and Java operations write (exports, the sound table file, JAD files) all
// go through OutputFile: a failure leaves no partial output behind.

// Writes `bytes` to `path` through a temporary file, after CheckOutputTarget; the caller
// asks message 3 before. File errors are reported; returns whether the target now holds them.
bool WriteOutputFile(const std::string& path, const std::string& bytes,
                     const std::vector<std::string>& inputs, const Workspace& ws, Dialogs& dialogs);

// Export: `size` bytes of the firmware from `offset` into `path`. A range that runs past the end
// of the firmware is refused (message 2); an existing file is replaced only after message 3.
bool ExportFirmwareRange(Workspace& ws, uint32_t offset, uint32_t size, const std::string& path,
                         Dialogs& dialogs);

} // namespace tovallo
