#include "images/ImageTableFile.h"

#include "images/TableLine.h"
#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/OutputFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tovallo {

namespace {

// The field after Type that marks a RAW-16 row whose address is its type byte.
constexpr char TypeByteLabel[] = "TypeByte: ";

// The text up to the next TAB (empty when there is none), and the rest after that TAB.
std::string takeField(std::string& rest) {
    const auto tab = rest.find('\t');
    if (tab == std::string::npos)
        return {};
    std::string field = rest.substr(0, tab);
    rest.erase(0, tab + 1);
    return field;
}

// The field that follows `label`, ended by a TAB.
std::string labelledField(std::string& rest, const std::string& label) {
    const auto at = rest.find(label);
    if (at == std::string::npos)
        return {};
    rest.erase(0, at + label.size());
    return takeField(rest);
}

} // namespace

std::string ImageTableRecord(size_t rowNumber, const ImageEntry& e) {
    char number[24];
    std::snprintf(number, sizeof number, "%03zu", rowNumber);
    return std::string(number) + " " + e.Name + "\t " + e.Address +
           "\t Frames: 1\t Size: " + e.Size + "\t Dimension: " + e.Dimension +
           "\t Color: " + e.Colour + "\t Type: " + e.Type + "\t" +
           (e.AddressIsTypeByte ? std::string(" ") + TypeByteLabel + "1\t" : std::string());
}

ImageEntry ParseImageTableRecord(const std::string& line) {
    std::string rest = line;
    const auto blank = rest.find(' ');
    if (blank != std::string::npos)
        rest.erase(0, blank + 1);
    ImageEntry e;
    e.Name = takeField(rest);
    if (!rest.empty())
        rest.erase(0, 1); // the blank in front of the address
    e.Address = takeField(rest);
    e.Size = labelledField(rest, "Size: ");
    e.Dimension = labelledField(rest, "Dimension: ");
    e.Colour = labelledField(rest, "Color: ");
    e.Type = labelledField(rest, "Type: ");
    e.AddressIsTypeByte = labelledField(rest, TypeByteLabel) == "1";
    return e;
}

bool SaveImageTable(const Workspace& ws, const std::string& path, const ImageTable& table,
                    Dialogs& dialogs) {
    if (!ConfirmOutputs(ws, dialogs, {path}, {}))
        return false;
    std::string text;
    const ImageTable blankRow(1);
    const ImageTable& rows = table.empty() ? blankRow : table;
    for (size_t i = 0; i < rows.size(); ++i)
        text += ImageTableRecord(i + 1, rows[i]) + "\r\n\r\n";
    OutputFile out = OutputFile::Create(path);
    if (!out.write(text) || !out.commit()) {
        dialogs.errorText("Cannot write the table file " + path +
                          (out.error().empty() ? "" : ": " + out.error()));
        return false;
    }
    return true;
}

bool LoadImageTable(const std::string& path, ImageTable& table, Dialogs& dialogs) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        dialogs.errorText("Cannot open the table file " + path);
        return false;
    }
    ImageTable loaded;
    for (;;) {
        const std::string line = ReadTableLine(in);
        if (line.empty())
            break;
        ImageEntry entry = ParseImageTableRecord(line);
        if (!entry.empty())
            loaded.push_back(std::move(entry));
        ReadTableLine(in); // the empty line after each record
    }
    table = std::move(loaded);
    return true;
}

} // namespace tovallo
