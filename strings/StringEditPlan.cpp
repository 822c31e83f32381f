#include "strings/StringEditPlan.h"

#include "resources/FreeSpaceSearch.h"
#include "strings/StringsSession.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <algorithm>

namespace tovallo {

namespace {

// Answers the questions the plan has answered and notes whether a step was refused: every
// warning or error of these steps refuses one.
class PlanDialogs : public Dialogs {
  public:
    PlanDialogs(Dialogs& outer, bool useFreeMemory)
        : outer_(outer), useFreeMemory_(useFreeMemory) {}

    bool refused = false;

    void inform(int message, const std::string& appended = {}) override {
        outer_.inform(message, appended);
    }
    void warn(int message, const std::string& appended = {}) override {
        refused = true;
        outer_.warn(message, appended);
    }
    void error(int message, const std::string& appended = {}) override {
        refused = true;
        outer_.error(message, appended);
    }
    bool ask(int message, const std::string& = {}) override {
        return message == msg::DeleteLanguage ||
               (message == msg::StringLongerThanOriginal && useFreeMemory_);
    }
    Answer askYesNoCancel(int, const std::string& = {}) override { return Answer::Cancel; }
    bool askText(const std::string&) override { return false; }
    void errorText(const std::string& text) override {
        refused = true;
        outer_.errorText(text);
    }
    void informText(const std::string& text) override { outer_.informText(text); }
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }

  private:
    Dialogs& outer_;
    bool useFreeMemory_;
};

std::string languageText(size_t language) {
    return "language " + std::to_string(language);
}

// Selecting a language reads its table into the grid.
bool selectLanguage(Workspace& ws, StringsSession& session, PlanDialogs& dialogs, size_t language) {
    const size_t count = session.languages.entries.size();
    if (language >= count) {
        dialogs.errorText("There is no " + languageText(language) + "; the string table lists " +
                          std::to_string(count) + " languages (from 0).");
        return false;
    }
    return session.SelectLanguage(ws, dialogs, language);
}

bool deleteLanguage(Workspace& ws, StringsSession& session, PlanDialogs& dialogs, size_t language) {
    if (!selectLanguage(ws, session, dialogs, language))
        return false;
    if (session.DeleteLanguage(ws, dialogs))
        return true;
    if (!dialogs.refused)
        dialogs.errorText("The " + languageText(language) +
                          " has no strings to free; it was not deleted.");
    return false;
}

// Fills the search fields as a text search finding the string, or Edit Selected on the row, do.
bool showString(Workspace& ws, StringsSession& session, PlanDialogs& dialogs,
                const PlannedString& planned, bool utf8) {
    if (planned.source == PlannedString::Source::TableRow) {
        if (!selectLanguage(ws, session, dialogs, planned.language))
            return false;
        session.TableUtf8 = utf8;
        const size_t rows = session.tableRows.size();
        if (planned.row < 1 || !session.EditSelected(planned.row - 1)) {
            dialogs.errorText("The " + languageText(planned.language) + " has no row " +
                              std::to_string(planned.row) + "; its table holds " +
                              std::to_string(rows) + " strings (from 1).");
            return false;
        }
        return true;
    }
    if (int64_t{planned.address} >= ws.FwSize()) {
        dialogs.errorText(ToHexAddr(planned.address) + " lies beyond the end of the firmware.");
        return false;
    }
    session.search.Utf8 = utf8;
    session.search.ResultUtf8 = utf8;
    session.ShowStringAt(ws, planned.address);
    if (session.search.Searched.empty()) {
        dialogs.errorText("No string starts at " + ToHexAddr(planned.address) + ".");
        return false;
    }
    session.search.SearchText = session.search.Searched;
    return true;
}

} // namespace

bool RunStringEditPlan(Workspace& ws, StringsSession& session, const StringEditPlan& plan,
                       Dialogs& dialogs, Progress& bar) {
    if (!ws.FwIsOpen())
        return false;
    PlanDialogs answers(dialogs, plan.useFreeMemory);
    if (plan.findFreeSpace)
        ScanFreeBlocks(ws, bar, session.freeRegions);
    const bool tableNeeded =
        !plan.deleteLanguages.empty() ||
        std::any_of(plan.strings.begin(), plan.strings.end(), [](const PlannedString& s) {
            return s.source == PlannedString::Source::TableRow;
        });
    if (tableNeeded && !session.FindTable(ws, answers, bar))
        return false;
    for (size_t language : plan.deleteLanguages)
        if (!deleteLanguage(ws, session, answers, language))
            return false;
    for (const PlannedString& planned : plan.strings) {
        if (!showString(ws, session, answers, planned, plan.utf8))
            return false;
        session.search.ReplaceText = planned.text;
        session.search.EndOfString = plan.endOfString;
        // A row kept in place after message 49 counts as refused.
        if (!session.AddToStringTable(ws, answers) || answers.refused)
            return false;
    }
    session.ModifyFile(ws, answers, std::vector<bool>(session.replaceTable.rows().size(), true));
    return !answers.refused;
}

} // namespace tovallo
