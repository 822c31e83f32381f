#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;

// One string of a language's table: the slot that points to it and what it points to.
struct StringTableRow {
    uint32_t Offset = 0; // the string's firmware offset, as the slot holds it
    uint32_t Slot = 0;   // firmware offset of the pointer slot
    std::string Bytes;   // up to the first zero byte, at most 255 bytes
};

// Grid texts: the string's address text and its bytes as stored.
std::array<std::string, 2> StringTableCells(const StringTableRow& row);

struct StringTableRead {
    std::vector<StringTableRow> rows;
    bool truncated = false; // a slot ran past the end of the firmware; rows stop before it
};

// The strings of the table at `tablePtr` with `count` slots: slots 1 to count - 1 (slot 0 holds
// no string). A string offset past the end of the firmware reads as an empty string.
StringTableRead ReadStringTable(Workspace& ws, uint32_t tablePtr, uint16_t count);

} // namespace tovallo
