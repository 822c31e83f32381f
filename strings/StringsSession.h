#pragma once

#include "resources/FreeRegions.h"
#include "strings/LanguageEntries.h"
#include "strings/StrReplaceTable.h"
#include "strings/StringSearch.h"
#include "strings/StringTableReader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;

// The state behind the "Strings" tab and the free-memory commands, with the operations of its
// controls. Front ends show the fields, lists and grid texts held here and call the operations;
// every operation that touches the firmware does nothing while none is open.
class StringsSession {
  public:
    StringSearchFields search;
    uint32_t StringLinkAddr = 0; // the pointer slot of the string in the search result, or 0
    StrReplaceTable replaceTable;
    LanguageEntries languages;
    std::vector<StringTableRow> tableRows; // the grid of the language read; its slots are the
                                           // string links
    bool TableUtf8 = true;                 // "Decode UTF-8"
    FreeRegions freeRegions;

    // Called by the front end to set the "UTF-8 string" box back after a No to message 7.
    std::function<void(bool)> restoreCodePageBox;

    // A firmware was opened: grids, lists, string link and free regions are emptied.
    void FirmwareOpened();
    // Another phone model was chosen: the string table read for the previous one is forgotten.
    void ModelChanged();

    // "Find String": the next match of the search text (message 6 when empty, 8 when none);
    // fills the result fields. Returns true when a string was found.
    bool FindString(Workspace& ws, Dialogs& dialogs, Progress& bar);
    // Shows the string at `offset` in the result fields as Find String does for a match.
    void ShowStringAt(Workspace& ws, uint32_t offset);
    // A click on "UTF-8 string" that made it `checked`: message 7; Yes empties the search and
    // result fields, No sets the box back (a click caused by that is ignored). Returns the
    // box's state afterwards.
    bool CodePageClicked(bool checked, Dialogs& dialogs);
    // A click on "UTF-8 Decoding": the shown result is decoded or encoded again.
    void ResultDecodingClicked(bool checked);

    // The buttons of the string replace table; `selected` has one flag per row.
    bool AddToStringTable(Workspace& ws, Dialogs& dialogs);
    void DeleteSelected(const std::vector<bool>& selected);
    void DeleteAll();
    void ModifyFile(Workspace& ws, Dialogs& dialogs, const std::vector<bool>& selected);

    // "Find Table": the model's string table signature, then its language entries (with
    // detectDeleted, freed tables listed as deleted and their blocks added to the free regions).
    // Clears the string table grid and the replace table, releasing its reservations. Message 15
    // when the signature is not found (returns false), 8 when the scan is done. SearchPos is
    // kept for the text search.
    bool FindTable(Workspace& ws, Dialogs& dialogs, Progress& bar, bool detectDeleted = false);
    // The languages the resource survey read replace the lists; the string grid is emptied.
    void AdoptSurveyedLanguages(LanguageEntries entries);
    // Selecting a language runs "Read Table" (a deleted one leaves the grid empty). A table
    // running past the end of the firmware is read up to its last whole slot and reported;
    // returns false then or when the entry does not exist.
    bool SelectLanguage(Workspace& ws, Dialogs& dialogs, size_t entry);
    std::optional<size_t> selectedLanguage() const { return selected_; }
    // What "String: " shows for a clicked grid row (0-based).
    std::string StringOfRow(size_t row) const;
    // "Edit Selected": hands grid row `row` (0-based) to the search fields.
    bool EditSelected(size_t row);
    // "Delete Language" on the language read into the grid: message 40, then the deletion.
    bool DeleteLanguage(Workspace& ws, Dialogs& dialogs);

  private:
    void clearStringTable();
    void showFound(const FoundString& found);

    std::optional<size_t> selected_;
    bool restoringCodePage_ = false;
};

} // namespace tovallo
