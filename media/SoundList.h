#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

// One row of the sound list (the grid SGSoundTbl). Texts are Windows-1251.
struct SoundRow {
    std::string Name; // "Sound_" n, or what the user renamed it to
    uint32_t Addr = 0;
    uint32_t Size = 0;
    std::string Type = "MMF";
    friend bool operator==(const SoundRow&, const SoundRow&) = default;
};

// The sound list with its side list: SoundLinks[r] is the firmware offset of row r's entry in
// the firmware sound table, 0 when the sound was found by scanning. Every way of filling the
// list replaces both.
struct SoundList {
    std::vector<SoundRow> rows;
    std::vector<uint32_t> SoundLinks;

    void clear() {
        rows.clear();
        SoundLinks.clear();
    }
    void add(SoundRow row, uint32_t link) {
        rows.push_back(std::move(row));
        SoundLinks.push_back(link);
    }
    size_t size() const { return rows.size(); }
    bool empty() const { return rows.empty(); }
    // Row r's table entry, 0 when it has none.
    uint32_t linkOf(size_t row) const { return row < SoundLinks.size() ? SoundLinks[row] : 0; }
};

// The grid's four cells of a row: name, address text, decimal size, type.
std::array<std::string, 4> SoundCells(const SoundRow& row);

// "Sound_" and the row number from 1.
std::string SoundName(size_t number);

// Renames row `row` in place. An empty name keeps the old one, and so does a name holding a TAB,
// CR or LF, which the table file could not hold. Returns whether the name changed.
bool RenameSound(SoundList& list, size_t row, const std::string& name);

// A sound file's byte size from its "MMMD" header: the big-endian length after the four letters
// plus the 8 header bytes, or 0 when the length is 0 or has its top bit set (no sound).
uint32_t MmfSizeFromHeader(const uint8_t (&lengthBytes)[4]);

} // namespace tovallo
