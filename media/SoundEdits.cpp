#include "media/SoundEdits.h"

#include "media/MediaOutput.h"
#include "media/ReplacementFile.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

namespace tovallo {

namespace {

bool hasName(const SoundList& list, size_t row) {
    return row < list.size() && !list.rows[row].Name.empty();
}

} // namespace

bool ExportSound(Workspace& ws, const SoundList& list, size_t row, const std::string& path,
                 Dialogs& dialogs) {
    if (!ws.FwIsOpen() || !hasName(list, row))
        return false;
    return ExportFirmwareRange(ws, list.rows[row].Addr, list.rows[row].Size, path, dialogs);
}

bool ReplaceSound(Workspace& ws, const SoundList& list, size_t row, const std::string& file,
                  Dialogs& dialogs) {
    if (!ws.FwIsOpen() || !hasName(list, row))
        return false;
    if (!EndsWithNoCase(BaseName(file), ".mmf")) {
        dialogs.warn(msg::TypeNotSupported);
        return false;
    }
    const SoundRow& sound = list.rows[row];
    const uint32_t link = list.linkOf(row);
    // The entry's Size field must lie inside the firmware (a loaded table file may say anything).
    if (link > 0 && int64_t{link} + 8 > ws.FwSize()) {
        dialogs.warn(msg::EndOfFile);
        return false;
    }
    const std::optional<uint32_t> size = ReplacementFileSize(ws, file, sound.Addr, dialogs);
    if (!size || !dialogs.ask(msg::ReplaceSound))
        return false;
    if (*size > sound.Size && !dialogs.ask(msg::SoundLargerThanOriginal))
        return false;
    const std::optional<std::string> bytes = ReadReplacementFile(file, *size, dialogs);
    if (!bytes)
        return false;
    std::string error;
    if (!ws.changes.AppendSoundChange(ws.tempDir, sound.Addr, *bytes, error)) {
        dialogs.errorText(error);
        return false;
    }
    if (link > 0)
        ws.changes.AppendLinkChange(link + 4, *size, 0);
    return true;
}

std::vector<uint32_t> FindSoundLinks(Workspace& ws, const SoundList& list, size_t row,
                                     Progress& bar, Dialogs& dialogs) {
    if (!ws.FwIsOpen() || row >= list.size())
        return {};
    std::vector<uint32_t> found =
        FindLinks(ws, list.rows[row].Addr, bar, LinkResultsCapacity, ws.profile.FlashStart());
    dialogs.inform(msg::SearchCompleted);
    return found;
}

bool ChangeSoundAddr(Workspace& ws, SoundList& list, size_t row,
                     const std::vector<uint32_t>& selected, std::string& newAddressText,
                     Dialogs& dialogs) {
    if (!ws.FwIsOpen() || selected.empty() || newAddressText.empty() || row >= list.size())
        return false;
    if (!dialogs.ask(msg::ChangeImageAddress))
        return false;
    CleanHexText(newAddressText);
    const std::optional<uint32_t> value = ParseHexAddr(newAddressText, &dialogs);
    if (!value)
        return false;
    for (uint32_t position : selected)
        ws.changes.AppendLinkChange(position, *value, 0);
    list.rows[row].Addr = *value;
    return true;
}

} // namespace tovallo
