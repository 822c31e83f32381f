#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;
class StringsSession;

// A replacement of a batch of string edits.
struct PlannedString {
    enum class Source { Address, TableRow };
    Source source = Source::Address;
    uint32_t address = 0; // Address: the string starting there, as a text search shows it
    size_t language = 0;  // TableRow: the language entry, in the order of the scan
    size_t row = 0;       // TableRow: the row of its string table grid, from 1
    std::string text;     // the replacement, Windows-1251
};

// What the user would do on the "Strings" tab by hand, given at once.
struct StringEditPlan {
    bool findFreeSpace = false;
    std::vector<size_t> deleteLanguages; // language entries, in the order of the scan
    std::vector<PlannedString> strings;
    bool utf8 = false;          // "UTF-8 string" for addresses, "Decode UTF-8" for table rows
    bool endOfString = false;   // "Add End of String code (#0)" on every row
    bool useFreeMemory = false; // the answer to message 48
};

// Runs `plan` on `session` in the order the tab allows: Find Free Space (the plan stands for the
// Yes to message 50), Find Table when a language is named, the deletions (message 40 answered
// Yes), each string shown and put through "Add to String Table" in the plan's order, then
// "Modify File" on every row. Stops at the first step refused and returns false; `dialogs` has
// then reported why: message 15, 9, 4, 49 (a longer string that free memory cannot hold) or 51,
// a deletion refused, or a language, row or address that does not exist. The changes are only
// queued (ws.changes); the free regions of the session hold the used counts they lead to.
bool RunStringEditPlan(Workspace& ws, StringsSession& session, const StringEditPlan& plan,
                       Dialogs& dialogs, Progress& bar);

} // namespace tovallo
