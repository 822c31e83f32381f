#include "media/SoundList.h"

#include "workspace/HexText.h"

namespace tovallo {

std::array<std::string, 4> SoundCells(const SoundRow& row) {
    return {row.Name, ToHexAddr(row.Addr), std::to_string(row.Size), row.Type};
}

std::string SoundName(size_t number) {
    return "Sound_" + std::to_string(number);
}

bool RenameSound(SoundList& list, size_t row, const std::string& name) {
    if (row >= list.rows.size() || name.empty() ||
        name.find_first_of("\t\r\n") != std::string::npos)
        return false;
    list.rows[row].Name = name;
    return true;
}

uint32_t MmfSizeFromHeader(const uint8_t (&b)[4]) {
    const uint32_t length =
        (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | uint32_t{b[3]};
    if (length == 0 || length > 0x7FFFFFFFu)
        return 0;
    // At most 0x7FFFFFFF + 8, which a u32 holds: no wrap.
    return length + 8;
}

} // namespace tovallo
