#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

class Workspace;
class Progress;

// A found string is read from its first byte on, at most this many bytes.
inline constexpr size_t FoundStringLimit = 255;

// Where a found string ends, applied to the bytes read at its start. Windows-1251: before the
// first byte below 0x20. UTF-8: bytes 0x20-0x80 and lead bytes 0xC0-0xFD each followed by one
// continuation byte 0x80-0xBF belong to it; any other byte ends it.
std::string CutFoundString(const std::string& bytes, bool utf8);

struct FoundString {
    uint32_t Start = 0;
    std::string Bytes; // as held by the firmware, cut by the extent rule
};

// The string at `start` (at most 255 bytes read, fewer at the end of the file), cut.
FoundString ReadFoundString(Workspace& ws, uint32_t start, bool utf8);

// The next occurrence of `pattern` at or after SearchPos (from 0 with restart), as a found
// string; nothing when the search ends without a match (SearchPos then 0).
std::optional<FoundString> FindNextString(Workspace& ws, const std::string& pattern, bool restart,
                                          bool utf8, Progress& bar);

// The edits and boxes of the "Search & Replace" and "Search Result" groups, Windows-1251 text.
struct StringSearchFields {
    std::string SearchText;   // "String for Search:"
    std::string ReplaceText;  // "String for Replace:"
    bool Utf8 = false;        // "UTF-8 string": code page of search and replacement
    bool FromBegin = false;   // "From begin"
    bool ResultUtf8 = false;  // "UTF-8 Decoding": show the found string decoded
    bool EndOfString = false; // "Add End of String code (#0)"
    std::string Searched;     // "Searched:"
    std::string StringSize;   // "String size:", decimal
    std::string StartAddr;    // "Start Address: ", address text
    std::string StopAddr;     // "Stop Address: ", address text

    // What a code page change empties.
    void clearTexts();
};

} // namespace tovallo
