#pragma once

#include "images/FoundPictures.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

class Workspace;
class Progress;
class Dialogs;

// The firmware's own picture table: 8-byte entries {u16 width, u16 height, u32 address},
// little-endian, preceded by eight zero bytes and ended by the first entry whose width or height
// is 0. Its first four bytes are the phone model's ImageTableSig.
inline constexpr uint32_t ImageTableEntrySize = 8;

// The search pattern: eight zero bytes and the model's signature, at most 12 bytes in all.
std::string ImageTablePattern(const std::string& imageTableSig);

// Finds the table from the start of the file (for E720 from its FlashStart). Returns the offset
// of the first entry; reports message 8, or 15 when it is not found or the search was stopped.
std::optional<uint32_t> FindImageTable(Workspace& ws, Progress& bar, Dialogs& dialogs);

struct ImageTableRead {
    FoundPictureList rows;
    bool complete = true; // false when the table ran into the end of the file
};

// Reads the table at `address`. Beyond the end of the file: message 2 and nothing. A table that
// runs into the end of the file without its closing entry keeps the rows read so far and is
// reported through `dialogs`.
std::optional<ImageTableRead> ReadImageTable(Workspace& ws, uint32_t address, Dialogs& dialogs);

} // namespace tovallo
