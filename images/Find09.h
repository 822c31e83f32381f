#pragma once

#include "images/FoundPictures.h"

#include <cstddef>
#include <cstdint>

namespace tovallo {

class Workspace;
class Progress;
class Dialogs;

// A scan stops collecting candidates once it holds more than this many (message 12).
inline constexpr size_t MaxCandidates09 = 0x100000;

struct Find09Result {
    FoundPictureList pictures; // candidates that passed the palette check, in address order
    size_t candidates = 0;     // every 0x09 followed by a palette count of 1-127
    bool limitReached = false;
};

// Scans the firmware from `start` for the start of "09" pictures: a 0x09 byte followed by a
// palette count of 1-127. A candidate lying inside the palette of the previous checked one is
// skipped; a candidate whose palette holds two neighbouring byte pairs that equal the pair two
// bytes further (so that, among others, equal first two colours) is rejected. Reports message 8
// at the end (and 12 when the candidate limit cut the scan short).
Find09Result FindImages09(Workspace& ws, uint32_t start, Progress& bar, Dialogs& dialogs);

} // namespace tovallo
