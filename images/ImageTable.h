#pragma once

#include "images/CurrentPicture.h"
#include "images/FoundPictures.h"
#include "images/PictureReader.h"

#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Dialogs;

// One picture of the user's image table; the six cells in grid column order. Texts are
// Windows-1251, exactly as the table file holds them.
struct ImageEntry {
    std::string Name;
    std::string Address;   // ToHexAddr text
    std::string Size;      // decimal byte size
    std::string Dimension; // "W*H"
    std::string Colour;    // "16*" or "1*" (WBMP)
    std::string Type;      // ImageTypeName
    // A RAW-16 row taken from the found list: its address is the type byte, so its pixels
    // (and a replacement of them) start one byte later.
    bool AddressIsTypeByte = false;

    bool empty() const {
        return Name.empty() && Address.empty() && Size.empty() && Dimension.empty() &&
               Colour.empty() && Type.empty();
    }
    friend bool operator==(const ImageEntry&, const ImageEntry&) = default;
};

// The grid's rows; an empty table has no rows (the grid shows one blank row for it).
using ImageTable = std::vector<ImageEntry>;

// The size a table row holds for the current picture: RAW-16 and WBMP by the dimensions, "09"
// the length of the last decoding.
uint32_t CurrentPictureSize(const CurrentPicture& current);
// "1*" for WBMP, "16*" for the rest.
std::string ColourText(ImageType type);

enum class AddResult {
    Added,
    NoName,   // message 5; the name edit keeps its text
    Duplicate // message 4; the name edit is emptied as after an add
};

// Appends a row for the current picture under `name`.
AddResult AddCurrentPicture(ImageTable& table, const CurrentPicture& current,
                            const std::string& name, Dialogs& dialogs);

// The row that lists the picture at `listed` or, when there is none, a new row for the current
// picture under `name`. Returns the row's index.
size_t TableRowFor(ImageTable& table, const CurrentPicture& current, uint32_t listed,
                   const std::string& name);

// Appends a row for every found picture: named "Image_" and the list position from 1, its type
// recognised by `choice`, its size measured ("09" pictures are decoded without drawing); a
// RAW-16 row remembers that its address is the type byte. Moves `current` along as the window
// does (address, dimensions, type, Length09; a RAW-16 picture's address is moved past its type
// byte). A picture whose dimension lies outside 1-320 x 1-240 is neither measured nor added;
// how many were left out is reported once. No duplicate check.
void ImportFoundPictures(const ByteReader& read, ImageTable& table, const FoundPictureList& found,
                         CurrentPicture& current, TypeChoice choice, Dialogs& dialogs);

// Where a row's picture is read and replaced: its address cell, one byte past it for a RAW-16
// row whose address is the type byte. Nothing (reported) when the cell is no address.
std::optional<uint32_t> RowPictureAddress(const ImageEntry& entry, Dialogs& dialogs);

} // namespace tovallo
