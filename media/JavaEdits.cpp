#include "media/JavaEdits.h"

#include "media/MediaOutput.h"
#include "media/ReplacementFile.h"
#include "strings/Cp1251.h"
#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

namespace tovallo {

namespace {

bool hasName(const JavaList& list, size_t row) {
    return row < list.size() && !list.rows[row].Shown.empty();
}

} // namespace

const char* JavaFileFilter(const JavaRow& row) {
    return IsJadRow(row) ? JadFileFilter : JarFileFilter;
}

std::string JavaEntryText(const std::string& fileName) {
    const std::string base = fileName.substr(0, fileName.find(".ja"));
    return std::string("e:\\S100\\#") + base + "#" + fileName + '\0';
}

bool ExportJava(Workspace& ws, const JavaList& list, size_t row, const std::string& path,
                Dialogs& dialogs) {
    if (!ws.FwIsOpen() || !hasName(list, row))
        return false;
    return ExportFirmwareRange(ws, list.rows[row].Addr, list.rows[row].Size, path, dialogs);
}

bool ReplaceJava(Workspace& ws, const JavaList& list, size_t row, const std::string& file,
                 Dialogs& dialogs) {
    if (!ws.FwIsOpen() || !hasName(list, row) || row >= list.JavaEntries.size())
        return false;
    const JavaRow& target = list.rows[row];
    const std::string extension = IsJadRow(target) ? ".jad" : ".jar";
    std::string name = BaseName(file);
    if (!EndsWithNoCase(name, extension)) {
        dialogs.warn(msg::TypeNotSupported);
        return false;
    }
    // The table lists only names with a lower-case extension.
    name.replace(name.size() - extension.size(), extension.size(), extension);
    const std::optional<std::string> winName = Utf8ToCp1251(name).text;
    if (!winName) {
        dialogs.errorText("The file name has a character that Windows-1251 lacks.");
        return false;
    }
    const std::string entryText = JavaEntryText(*winName);
    if (entryText.size() > ws.profile.JavaSizeOffset) {
        dialogs.errorText("The name \"" + *winName + "\" does not fit the " +
                          std::to_string(ws.profile.JavaSizeOffset) + "-byte name field.");
        return false;
    }
    const std::optional<uint32_t> size = ReplacementFileSize(ws, file, target.Addr, dialogs);
    if (!size || !dialogs.ask(msg::ReplaceFile))
        return false;
    if (*size > target.Size && !dialogs.ask(msg::SoundLargerThanOriginal))
        return false;
    const std::optional<std::string> bytes = ReadReplacementFile(file, *size, dialogs);
    if (!bytes)
        return false;
    std::string error;
    if (!ws.changes.AppendJavaChange(ws.tempDir, target.Addr, list.JavaEntries[row], entryText,
                                     *bytes, error)) {
        dialogs.errorText(error);
        return false;
    }
    return true;
}

} // namespace tovallo
