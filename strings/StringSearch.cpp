#include "strings/StringSearch.h"

#include "workspace/FirmwareSearch.h"
#include "workspace/Workspace.h"

namespace tovallo {

std::string CutFoundString(const std::string& bytes, bool utf8) {
    size_t n = 0;
    bool continuation = false;
    for (; n < bytes.size(); ++n) {
        const auto b = static_cast<uint8_t>(bytes[n]);
        if (!utf8) {
            if (b < 0x20)
                break;
        } else if (continuation) {
            if (b < 0x80 || b > 0xBF)
                break;
            continuation = false;
        } else if (b >= 0xC0 && b <= 0xFD) {
            continuation = true;
        } else if (b < 0x20 || b > 0x80) {
            break;
        }
    }
    return bytes.substr(0, n);
}

FoundString ReadFoundString(Workspace& ws, uint32_t start, bool utf8) {
    return {start, CutFoundString(ws.readBytes(start, FoundStringLimit), utf8)};
}

std::optional<FoundString> FindNextString(Workspace& ws, const std::string& pattern, bool restart,
                                          bool utf8, Progress& bar) {
    const int64_t at = FindInFirmware(ws, pattern, restart, bar);
    if (at < 0)
        return std::nullopt;
    return ReadFoundString(ws, static_cast<uint32_t>(at), utf8);
}

void StringSearchFields::clearTexts() {
    SearchText.clear();
    ReplaceText.clear();
    StartAddr.clear();
    StopAddr.clear();
    Searched.clear();
    StringSize.clear();
}

} // namespace tovallo
