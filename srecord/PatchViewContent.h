#pragma once

#include <cstdint>
#include <string>

namespace tovallo {

class PendingChanges;
struct PatchRow;

// What the patch viewer shows for a row of the patch table.
struct PatchViewContent {
    enum class Kind {
        Nothing, // Java and sound changes: the viewer does not open
        Text,    // `text` in the memo
        Picture, // the "09" picture in `pictureFile`, `width` x `height`
    };
    Kind kind = Kind::Nothing;
    std::string text; // Windows-1251
    std::string pictureFile;
    uint16_t width = 0;
    uint16_t height = 0;
};

// A string change shows its text (firmware UTF-8 decoded); a link change its value as
// "Address= ..." and, with a positive dimension word, "\r\nDimension= W*H"; a picture change
// the picture held in its temporary file.
PatchViewContent PatchViewFor(const PendingChanges& changes, const PatchRow& row);

} // namespace tovallo
