#include "images/FirmwareImageTable.h"

#include "workspace/Dialogs.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <vector>

namespace tovallo {

namespace {

constexpr size_t MaxPatternBytes = 12;
// The list counts its rows (with the title row) in 16 bits.
constexpr size_t MaxTableRows = 65534;

uint32_t le16(const uint8_t* p) {
    return p[0] | p[1] << 8;
}
uint32_t le32(const uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}

} // namespace

std::string ImageTablePattern(const std::string& imageTableSig) {
    std::string pattern = std::string(8, '\0') + imageTableSig;
    if (pattern.size() > MaxPatternBytes)
        pattern.resize(MaxPatternBytes);
    return pattern;
}

std::optional<uint32_t> FindImageTable(Workspace& ws, Progress& bar, Dialogs& dialogs) {
    const std::string pattern = ImageTablePattern(ws.profile.ImageTableSig);
    int64_t found = -1;
    if (ws.profile.FlashStart() != 0) {
        ws.SearchPos = ws.profile.FlashStart();
        found = FindInFirmware(ws, pattern, false, bar);
    } else {
        found = FindInFirmware(ws, pattern, true, bar);
    }
    if (found < 0) {
        dialogs.warn(msg::ImageTableNotFound);
        return std::nullopt;
    }
    dialogs.inform(msg::SearchCompleted);
    return static_cast<uint32_t>(found + 8);
}

std::optional<ImageTableRead> ReadImageTable(Workspace& ws, uint32_t address, Dialogs& dialogs) {
    if (static_cast<int64_t>(address) > ws.FwSize()) {
        dialogs.warn(msg::EndOfFile);
        return std::nullopt;
    }
    ImageTableRead table;
    std::vector<uint8_t> block(4096);
    uint64_t at = address;
    for (;;) {
        const size_t got = ws.ReadAt(static_cast<uint32_t>(at), block.size(), block.data());
        size_t i = 0;
        for (; i + 4 <= got; i += ImageTableEntrySize) {
            const uint32_t width = le16(&block[i]), height = le16(&block[i + 2]);
            if (width == 0 || height == 0)
                return table;
            if (i + ImageTableEntrySize > got)
                break;
            if (table.rows.size() == MaxTableRows) {
                dialogs.errorText("The picture table at " + ToHexAddr(address) + " has more than " +
                                  std::to_string(MaxTableRows) +
                                  " entries; only the first ones are listed.");
                return table;
            }
            table.rows.push_back(
                {le32(&block[i + 4]), static_cast<int>(width), static_cast<int>(height)});
        }
        if (got < block.size()) {
            table.complete = false;
            dialogs.errorText("The picture table at " + ToHexAddr(address) +
                              " runs into the end of the file without its closing entry; " +
                              std::to_string(table.rows.size()) + " entries were read.");
            return table;
        }
        at += i;
    }
}

} // namespace tovallo
