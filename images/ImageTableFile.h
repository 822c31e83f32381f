#pragma once

#include "images/ImageTable.h"

#include <string>

namespace tovallo {

class Dialogs;
class Workspace;

// The table file: one record per row, each a line and an empty line:
// "NNN Name\t Address\t Frames: 1\t Size: S\t Dimension: D\t Color: C\t Type: T\t\r\n\r\n"
// with NNN the row number from 1, at least three digits. A RAW-16 row whose address is its type
// byte carries " TypeByte: 1\t" after its type; readers that do not know it stop at the type.

// One record line (without its CR LF CR LF).
std::string ImageTableRecord(size_t rowNumber, const ImageEntry& entry);
// The cells of a record line and the type-byte mark; the row number and "Frames: 1" are not
// read back.
ImageEntry ParseImageTableRecord(const std::string& line);

// Writes the table to `path`, whole or not at all; the open firmware is refused as the output
// and an existing file is replaced only after message 3 is answered Yes. An empty table writes
// the one record of empty cells the grid's blank row gives. File errors are reported through
// `dialogs`; returns whether the file was written.
bool SaveImageTable(const Workspace& ws, const std::string& path, const ImageTable& table,
                    Dialogs& dialogs);

// Replaces the table by the records of `path`, up to the first empty line. A record of six empty
// cells is the saved blank row of an empty table and adds no row. A file that cannot be read is
// reported and leaves the table as it was.
bool LoadImageTable(const std::string& path, ImageTable& table, Dialogs& dialogs);

} // namespace tovallo
