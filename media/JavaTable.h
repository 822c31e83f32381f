#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;

// One listed file of the firmware's Java table (the grid SGJava). Texts are Windows-1251.
struct JavaRow {
    std::string Shown; // the shown name, "#Tetris#Tetris.jar"
    uint32_t Addr = 0;
    uint32_t Size = 0;
    friend bool operator==(const JavaRow&, const JavaRow&) = default;
};

// The listed files with their side list: JavaEntries[r] is the offset of row r's table entry.
struct JavaList {
    std::vector<JavaRow> rows;
    std::vector<uint32_t> JavaEntries;

    void clear() {
        rows.clear();
        JavaEntries.clear();
    }
    size_t size() const { return rows.size(); }
    bool empty() const { return rows.empty(); }
};

// The grid's three cells of a row: shown name, address text, decimal size.
std::array<std::string, 3> JavaCells(const JavaRow& row);

// The shown name of an entry name: from its first "#" (else its first character), as many
// characters as the 1-based position of its first ".ja" plus 3, cut at the name's end.
std::string ShownJavaName(const std::string& name);

// Whether a row is a JAD descriptor (its shown name holds ".jad"); else it is a JAR archive.
bool IsJadRow(const JavaRow& row);

// Reads the Java table from the entry at `table`: entries of JavaSizeOffset + 8 bytes, a name
// field ended by a zero byte, then Size and Addr (little-endian). Names holding ".jad" or ".jar"
// are listed, others skipped. The table ends at an empty name, a name field without a zero byte,
// or an entry cut by the end of the file; it has no limit of 128 files.
JavaList ReadJavaTable(Workspace& ws, uint32_t table);

// "Find Java Games": replaces `list`. Searches JavaTableMarker from FlashStart; when found,
// message 24 and the table from the entry after the marker's. Returns whether it was found (no
// message when not). A Stop request (SearchStop) ends the search.
bool FindJavaGames(Workspace& ws, JavaList& list, Progress& bar, Dialogs& dialogs);

} // namespace tovallo
