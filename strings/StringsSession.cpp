#include "strings/StringsSession.h"

#include "strings/LanguageDeletion.h"
#include "strings/TextEncoding.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

namespace tovallo {

void StringsSession::FirmwareOpened() {
    replaceTable.DeleteAll(freeRegions);
    freeRegions.clear();
    ModelChanged();
}

void StringsSession::ModelChanged() {
    clearStringTable();
    languages.clear();
    selected_.reset();
}

void StringsSession::clearStringTable() {
    tableRows.clear();
    StringLinkAddr = 0;
}

void StringsSession::showFound(const FoundString& found) {
    StringLinkAddr = 0;
    const auto size = static_cast<uint32_t>(found.Bytes.size());
    search.StringSize = std::to_string(size);
    search.StopAddr = ToHexAddr(found.Start + size - 1u);
    search.Searched = search.ResultUtf8 ? Utf8ToWin(found.Bytes) : found.Bytes;
    search.StartAddr = ToHexAddr(found.Start);
}

bool StringsSession::FindString(Workspace& ws, Dialogs& dialogs, Progress& bar) {
    if (!ws.FwIsOpen())
        return false;
    if (search.SearchText.empty()) {
        dialogs.warn(msg::EnterLine);
        return false;
    }
    const std::string pattern = search.Utf8 ? WinToUtf8(search.SearchText) : search.SearchText;
    if (ws.profile.FlashStart() != 0 && search.FromBegin) {
        ws.SearchPos = ws.profile.FlashStart();
        search.FromBegin = false;
    }
    const auto found = FindNextString(ws, pattern, search.FromBegin, search.Utf8, bar);
    if (!found) {
        dialogs.warn(msg::SearchCompleted);
        return false;
    }
    showFound(*found);
    return true;
}

void StringsSession::ShowStringAt(Workspace& ws, uint32_t offset) {
    showFound(ReadFoundString(ws, offset, search.Utf8));
}

bool StringsSession::CodePageClicked(bool checked, Dialogs& dialogs) {
    if (restoringCodePage_)
        return search.Utf8;
    if (dialogs.ask(msg::CodePageChange)) {
        search.clearTexts();
        search.Utf8 = checked;
        return checked;
    }
    search.Utf8 = !checked;
    restoringCodePage_ = true;
    if (restoreCodePageBox)
        restoreCodePageBox(!checked);
    restoringCodePage_ = false;
    return !checked;
}

void StringsSession::ResultDecodingClicked(bool checked) {
    search.ResultUtf8 = checked;
    search.Searched = checked ? Utf8ToWin(search.Searched) : WinToUtf8(search.Searched);
}

bool StringsSession::AddToStringTable(Workspace& ws, Dialogs& dialogs) {
    return ws.FwIsOpen() && replaceTable.Add(search, StringLinkAddr, freeRegions, dialogs);
}

void StringsSession::DeleteSelected(const std::vector<bool>& selected) {
    replaceTable.DeleteSelected(selected, freeRegions);
}

void StringsSession::DeleteAll() {
    replaceTable.DeleteAll(freeRegions);
}

void StringsSession::ModifyFile(Workspace& ws, Dialogs& dialogs,
                                const std::vector<bool>& selected) {
    if (ws.FwIsOpen() && !replaceTable.empty())
        replaceTable.ModifyFile(selected, freeRegions, ws.changes, dialogs);
}

void StringsSession::AdoptSurveyedLanguages(LanguageEntries entries) {
    clearStringTable();
    languages = std::move(entries);
    selected_.reset();
}

bool StringsSession::FindTable(Workspace& ws, Dialogs& dialogs, Progress& bar, bool detectDeleted) {
    if (!ws.FwIsOpen())
        return false;
    clearStringTable();
    replaceTable.DeleteAll(freeRegions);
    languages.clear();
    selected_.reset();
    // The text search keeps its resume point.
    const uint32_t savedPos = ws.SearchPos;
    const int64_t savedSingle = ws.lastSingleByteMatch;
    const uint32_t flashStart = ws.profile.FlashStart();
    if (flashStart != 0)
        ws.SearchPos = flashStart;
    const int64_t at = FindInFirmware(ws, ws.profile.StringTableSig, flashStart == 0, bar);
    if (at < 0) {
        dialogs.warn(msg::ImageTableNotFound);
        return false;
    }
    if (at > 0)
        ScanLanguageEntries(ws, bar, detectDeleted, languages, freeRegions);
    ws.SearchPos = savedPos;
    ws.lastSingleByteMatch = savedSingle;
    dialogs.inform(msg::SearchCompleted);
    return true;
}

bool StringsSession::SelectLanguage(Workspace& ws, Dialogs& dialogs, size_t entry) {
    if (!ws.FwIsOpen() || entry >= languages.entries.size())
        return false;
    selected_ = entry;
    clearStringTable();
    const LanguageEntry& language = languages.entries[entry];
    if (language.Deleted)
        return true;
    StringTableRead read = ReadStringTable(ws, language.TablePtr, language.Count);
    tableRows = std::move(read.rows);
    if (read.truncated) {
        dialogs.errorText("The string table at " + ToHexAddr(language.TablePtr) +
                          " runs past the end of the firmware; only its first " +
                          std::to_string(tableRows.size()) + " strings are shown.");
        return false;
    }
    return true;
}

std::string StringsSession::StringOfRow(size_t row) const {
    if (row >= tableRows.size())
        return {};
    return TableUtf8 ? Utf8ToWin(tableRows[row].Bytes) : tableRows[row].Bytes;
}

bool StringsSession::EditSelected(size_t row) {
    if (row >= tableRows.size())
        return false;
    const StringTableRow& picked = tableRows[row];
    search.ResultUtf8 = TableUtf8;
    search.Utf8 = TableUtf8; // set without the code page question
    StringLinkAddr = picked.Slot;
    search.StartAddr = ToHexAddr(picked.Offset);
    const auto size = static_cast<uint16_t>(picked.Bytes.size());
    const std::string text = TableUtf8 ? Utf8ToWin(picked.Bytes) : picked.Bytes;
    search.SearchText = text;
    search.Searched = text;
    search.StopAddr = ToHexAddr(picked.Offset + size - 1u);
    search.StringSize = std::to_string(size);
    return true;
}

bool StringsSession::DeleteLanguage(Workspace& ws, Dialogs& dialogs) {
    if (!ws.FwIsOpen() || tableRows.empty() || !selected_)
        return false;
    if (!dialogs.ask(msg::DeleteLanguage))
        return false;
    if (!tovallo::DeleteLanguage(ws, dialogs, languages, *selected_, tableRows, freeRegions,
                                 replaceTable))
        return false;
    clearStringTable();
    return true;
}

} // namespace tovallo
