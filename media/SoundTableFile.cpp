#include "media/SoundTableFile.h"

#include "media/MediaOutput.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/OutputFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tovallo {

namespace {

// Longer record lines are broken: a name holds at most 64 characters.
constexpr size_t MaxRecordLine = 4096;

// The text up to the next TAB, and the rest after it; nothing when there is no TAB.
std::optional<std::string> takeField(std::string& rest) {
    const auto tab = rest.find('\t');
    if (tab == std::string::npos)
        return std::nullopt;
    std::string field = rest.substr(0, tab);
    rest.erase(0, tab + 1);
    return field;
}

// The field after `marker`, ended by a TAB.
std::optional<std::string> markedField(std::string& rest, const std::string& marker) {
    const auto at = rest.find(marker);
    if (at == std::string::npos)
        return std::nullopt;
    rest.erase(0, at + marker.size());
    return takeField(rest);
}

// "0x" (or "0X") and hexadecimal digits worth at most 32 bits.
std::optional<uint32_t> addressText(const std::string& text) {
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return std::nullopt;
    return ParseHexAddr(text);
}

// A line up to CR (the byte after it is skipped) or the end of the file. False for a line longer
// than `limit`.
bool readLine(std::istream& in, std::string& line, size_t limit) {
    line.clear();
    for (std::istream::int_type c; (c = in.get()) != std::istream::traits_type::eof();) {
        if (c == '\r') {
            in.get();
            return true;
        }
        if (line.size() == limit)
            return false;
        line += static_cast<char>(c);
    }
    return true;
}

// A record line of the grid's four cells.
std::string recordLine(size_t rowNumber, const std::array<std::string, 4>& cells, uint32_t link) {
    char number[24];
    std::snprintf(number, sizeof number, "%03zu", rowNumber);
    return std::string(number) + " " + cells[0] + "\t Addr: " + cells[1] + "\t Size: " + cells[2] +
           "\t Table: " + ToHexAddr(link) + "\t Type: " + cells[3] + "\t";
}

} // namespace

std::string SoundTableRecord(size_t rowNumber, const SoundRow& row, uint32_t link) {
    return recordLine(rowNumber, SoundCells(row), link);
}

std::optional<SoundRecord> ParseSoundTableRecord(const std::string& line, std::string& problem) {
    std::string rest = line;
    const auto blank = rest.find(' ');
    std::optional<std::string> name;
    if (blank != std::string::npos) {
        rest.erase(0, blank + 1);
        name = takeField(rest);
    }
    if (!name) {
        problem = "it has no name";
        return std::nullopt;
    }
    std::string cells[4]; // Addr, Size, Table, Type
    const char* const parts[4] = {"Addr", "Size", "Table", "Type"};
    for (int i = 0; i < 4; ++i) {
        std::optional<std::string> field = markedField(rest, std::string(parts[i]) + ": ");
        if (!field) {
            problem = std::string("it has no ") + parts[i];
            return std::nullopt;
        }
        cells[i] = std::move(*field);
    }
    SoundRecord record;
    if (name->empty() && cells[0].empty() && cells[1].empty() && cells[3].empty()) {
        record.blank = true;
        return record;
    }
    const std::optional<uint32_t> addr = addressText(cells[0]);
    const std::optional<uint32_t> size = ParseDecimal(cells[1]);
    const std::optional<uint32_t> link = addressText(cells[2]);
    if (!addr || !link) {
        problem = std::string("its ") + (addr ? "Table" : "Addr") + " is no address";
        return std::nullopt;
    }
    if (!size) {
        problem = "its Size is no decimal number below 4294967296";
        return std::nullopt;
    }
    record.row = {*name, *addr, *size, cells[3]};
    record.link = *link;
    return record;
}

bool SaveSoundTable(const Workspace& ws, const std::string& path, const SoundList& list,
                    Dialogs& dialogs) {
    if (!ConfirmOutputs(ws, dialogs, {path}, {}))
        return false;
    // An empty list is the grid's one blank row.
    std::string text = list.empty() ? recordLine(1, {}, 0) + "\r\n\r\n" : std::string();
    for (size_t r = 0; r < list.size(); ++r)
        text += SoundTableRecord(r + 1, list.rows[r], list.linkOf(r)) + "\r\n\r\n";
    return WriteOutputFile(path, text, {}, ws, dialogs);
}

bool LoadSoundTable(const std::string& path, SoundList& list, Dialogs& dialogs) {
    std::ifstream in(path, std::ios::binary);
    if (FileSizeOf(path) < 0 || !in) {
        dialogs.errorText("Cannot open the table file \"" + path + "\".");
        return false;
    }
    SoundList loaded;
    std::string line;
    for (size_t number = 1;; ++number) {
        std::string problem;
        std::optional<SoundRecord> record;
        if (!readLine(in, line, MaxRecordLine))
            problem = "it is too long";
        else if (line.empty())
            break;
        else
            record = ParseSoundTableRecord(line, problem);
        if (!record) {
            dialogs.errorText("The table file \"" + path + "\" is broken at record " +
                              std::to_string(number) + ": " + problem + ".");
            return false;
        }
        if (!record->blank)
            loaded.add(std::move(record->row), record->link);
        if (!readLine(in, line, MaxRecordLine)) {
            dialogs.errorText("The table file \"" + path + "\" is broken after record " +
                              std::to_string(number) + ": the line is too long.");
            return false;
        }
    }
    list = std::move(loaded);
    return true;
}

} // namespace tovallo
