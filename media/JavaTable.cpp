#include "media/JavaTable.h"

#include "media/FlashScan.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <algorithm>

namespace tovallo {

std::array<std::string, 3> JavaCells(const JavaRow& row) {
    return {row.Shown, ToHexAddr(row.Addr), std::to_string(row.Size)};
}

std::string ShownJavaName(const std::string& name) {
    const auto hash = name.find('#');
    const size_t from = hash == std::string::npos ? 0 : hash;
    const auto ja = name.find(".ja");
    const size_t length = ja == std::string::npos ? 3 : ja + 1 + 3;
    return name.substr(from, length);
}

bool IsJadRow(const JavaRow& row) {
    return row.Shown.find(".jad") != std::string::npos;
}

JavaList ReadJavaTable(Workspace& ws, uint32_t table) {
    JavaList list;
    const size_t nameField = ws.profile.JavaSizeOffset;
    std::vector<uint8_t> entry(nameField + 8);
    for (uint64_t at = table;; at += entry.size()) {
        if (at + entry.size() > static_cast<uint64_t>(ws.FwSize()) ||
            ws.ReadAt(static_cast<uint32_t>(at), entry.size(), entry.data()) != entry.size())
            break;
        const auto* field = reinterpret_cast<const char*>(entry.data());
        const auto* end = std::find(field, field + nameField, '\0');
        const std::string name(field, end);
        if (name.empty() || end == field + nameField)
            break;
        if (name.find(".jad") == std::string::npos && name.find(".jar") == std::string::npos)
            continue;
        list.rows.push_back({ShownJavaName(name), LittleEndian32(entry.data() + nameField + 4),
                             LittleEndian32(entry.data() + nameField)});
        list.JavaEntries.push_back(static_cast<uint32_t>(at));
    }
    return list;
}

bool FindJavaGames(Workspace& ws, JavaList& list, Progress& bar, Dialogs& dialogs) {
    if (!ws.FwIsOpen())
        return false;
    list.clear();
    const int64_t p = SearchFromFlashStart(ws, ws.profile.JavaTableMarker, bar);
    if (p < 0)
        return false;
    dialogs.inform(msg::JavaGamesFound);
    list = ReadJavaTable(ws, static_cast<uint32_t>(p + ws.profile.JavaSizeOffset + 8));
    return true;
}

} // namespace tovallo
