#pragma once

#include "images/CurrentPicture.h"
#include "images/ImageTable.h"
#include "images/Picture.h"

#include <cstddef>
#include <string>

namespace tovallo {

class Workspace;
class Dialogs;

// The state of the replacement dialog, which puts a picture loaded from a BMP file in the place
// of a picture of the image table. Created once and kept between openings: the key colour, the
// check boxes and NewNextAddrText survive; the rest is set at each opening.
struct ReplacementDialog {
    Rgb24 KeyColour = 0;       // the colour picked as transparent
    bool Transparent = false;  // "Enable Transparent"
    bool AutoNextAddr = false; // "Auto calculate Next Address"

    std::string OldSizeText;     // "W x H x size" of the old picture
    std::string NewSizeText;     // the same for the imported one; empty before an import
    std::string OldNextAddrText; // the address of the table row after the selected one
    std::string NewNextAddrText; // where the row after would begin after the replacement

    Picture OldPicture; // the old picture as shown, Width x Height
    Picture NewPicture; // the imported picture, cut to at most 320 x 240

    std::string RowName;     // the selected row's name
    uint32_t RowAddress = 0; // the selected row's picture address
    bool RowIsLast = true;   // the selected row is the table's last
};

// Prepares the dialog for `row` with `shown`, the current picture as the viewer shows it (the
// caller draws the row's picture first). False when the dialog does not open: an empty address
// cell, an "09" picture never decoded (Length09 0) or a type without an encoding.
bool OpenReplacement(ReplacementDialog& dialog, const CurrentPicture& current, const Picture& shown,
                     const ImageTable& table, size_t row, Dialogs& dialogs);

// Takes `loaded` as the new picture: message 10 when its dimensions differ (it is taken anyway),
// then the new dimensions, the encoded size and the size and next-address texts. Transparency is
// switched off.
bool ImportReplacement(ReplacementDialog& dialog, CurrentPicture& current, const Picture& loaded,
                       Rgb24 phoneTransparent, Dialogs& dialogs);
// The same from a BMP file; a file that cannot be read is reported and changes nothing.
bool ImportReplacementFile(ReplacementDialog& dialog, CurrentPicture& current,
                           const std::string& path, Rgb24 phoneTransparent, Dialogs& dialogs);

// "Auto calculate Next Address": the next address after the new size, or empty.
void UpdateNewNextAddress(ReplacementDialog& dialog, const CurrentPicture& current);

// Checking "Enable Transparent": refused (false, the box unchecks) before an import.
bool CanPickTransparentColour(const ReplacementDialog& dialog);
// A click on the new picture at picture pixel (x, y) picks its colour as the key colour.
bool PickTransparentColour(ReplacementDialog& dialog, int x, int y);

// "Replace": asks message 16 for other dimensions, encodes the new picture by the current type,
// refuses it when its bytes would fall outside the firmware, asks message 17 for a larger
// encoding and queues it (an Images_ record and its temporary file). True when queued, so the
// dialog closes.
bool QueueReplacement(Workspace& ws, ReplacementDialog& dialog, CurrentPicture& current,
                      Dialogs& dialogs);

// The file name an export proposes: the row's name, or the picture's address text when the row
// has none, followed by ".bmp". A file name, so UTF-8 and without folder separators.
std::string ProposedExportName(const std::string& rowName, uint32_t address);
// `path`, with ".bmp" appended unless it ends so already (in any letter case).
std::string WithBmpExtension(const std::string& path);

// Writes `picture` as a BMP file at `path` (".bmp" added when missing); the open firmware is
// refused as the output, an existing file is replaced after message 3.
bool ExportPicture(const Workspace& ws, const std::string& path, const Picture& picture,
                   Dialogs& dialogs);
// "Export Image": the old picture, as ExportPicture writes it.
bool ExportOldPicture(const Workspace& ws, const std::string& path, const ReplacementDialog& dialog,
                      Dialogs& dialogs);

} // namespace tovallo
