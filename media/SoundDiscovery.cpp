#include "media/SoundDiscovery.h"

#include "media/FlashScan.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

namespace tovallo {

namespace {

const std::string MmfMagic = "MMMD";

} // namespace

void FindSounds(Workspace& ws, SoundList& list, Progress& bar, Dialogs& dialogs) {
    if (!ws.FwIsOpen())
        return;
    list.clear();
    for (int64_t p = SearchFromFlashStart(ws, MmfMagic, bar); p >= 0;
         p = FindInFirmware(ws, MmfMagic, false, bar)) {
        uint8_t length[4];
        if (p == 0 || ws.ReadAt(static_cast<uint32_t>(p) + 4, 4, length) != 4)
            continue;
        if (const uint32_t size = MmfSizeFromHeader(length))
            list.add({SoundName(list.size() + 1), static_cast<uint32_t>(p), size}, 0);
    }
    dialogs.inform(msg::SearchCompleted);
}

std::optional<uint32_t> FindSoundsTable(Workspace& ws, SoundList& list, Progress& bar,
                                        Dialogs& dialogs) {
    if (!ws.FwIsOpen())
        return std::nullopt;
    list.clear();
    const int64_t s = SearchFromFlashStart(ws, ws.profile.SoundTableSig, bar);
    if (s < 0) {
        dialogs.warn(msg::SoundTableNotFound);
        return std::nullopt;
    }
    dialogs.inform(msg::SearchCompleted);
    return static_cast<uint32_t>(s + 8);
}

SoundList ReadSoundsTable(Workspace& ws, uint32_t table) {
    SoundList list;
    const int64_t fwSize = ws.FwSize();
    const uint64_t stride = 8 + uint64_t{ws.profile.SoundEntryPad()};
    for (uint64_t at = table; at + 8 <= static_cast<uint64_t>(fwSize); at += stride) {
        uint8_t entry[8];
        if (ws.ReadAt(static_cast<uint32_t>(at), 8, entry) != 8)
            break;
        const uint32_t addr = LittleEndian32(entry);
        const uint32_t size = LittleEndian32(entry + 4);
        if (addr == 0 || addr > fwSize || static_cast<int32_t>(size) < 1)
            break;
        list.add({SoundName(list.size() + 1), addr, size}, static_cast<uint32_t>(at));
    }
    return list;
}

bool ReadSoundsTableAt(Workspace& ws, std::string& addressText, SoundList& list, Dialogs& dialogs) {
    if (!ws.FwIsOpen() || addressText.empty())
        return false;
    CleanHexText(addressText);
    if (addressText == "0x")
        addressText += "0";
    const std::optional<uint32_t> table = ParseHexAddr(addressText, &dialogs);
    if (!table)
        return false;
    if (int64_t{*table} > ws.FwSize()) {
        dialogs.warn(msg::EndOfFile);
        return false;
    }
    list = ReadSoundsTable(ws, *table);
    return true;
}

} // namespace tovallo
