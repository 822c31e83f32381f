#include "strings/StringTableReader.h"

#include "strings/StringSearch.h"
#include "workspace/HexText.h"
#include "workspace/LittleEndian.h"
#include "workspace/Workspace.h"

namespace tovallo {

std::array<std::string, 2> StringTableCells(const StringTableRow& row) {
    return {ToHexAddr(row.Offset), row.Bytes};
}

StringTableRead ReadStringTable(Workspace& ws, uint32_t tablePtr, uint16_t count) {
    StringTableRead out;
    if (count < 2)
        return out;
    const size_t slots = count - 1u;
    const uint64_t first = uint64_t{tablePtr} + 4;
    std::vector<uint8_t> words(slots * 4);
    const size_t got = first < static_cast<uint64_t>(ws.FwSize())
                           ? ws.ReadAt(static_cast<uint32_t>(first), words.size(), words.data())
                           : 0;
    const size_t whole = got / 4;
    out.truncated = whole < slots;
    out.rows.reserve(whole);
    for (size_t r = 0; r < whole; ++r) {
        StringTableRow row;
        row.Slot = static_cast<uint32_t>(first + 4 * r);
        row.Offset = ReadLe32(words.data() + 4 * r);
        const std::string bytes = ws.readBytes(row.Offset, FoundStringLimit);
        row.Bytes = bytes.substr(0, bytes.find('\0'));
        out.rows.push_back(std::move(row));
    }
    return out;
}

} // namespace tovallo
