#include "resources/FreeSpaceSearch.h"
#include "ui/Grid.h"
#include "ui/MainWindow.h"
#include "ui/QtProgress.h"
#include "ui/SmallWidgets.h"
#include "ui/StringsTab.h"
#include "ui/TextCodec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <optional>

namespace tovallo::ui {

namespace {

// While a search runs, its Stop button stands in place of its Find button and `locked` are
// disabled.
class SearchRunning {
  public:
    SearchRunning(QPushButton* find, QPushButton* stop, std::initializer_list<QWidget*> locked)
        : find_(find), stop_(stop), locked_(locked) {
        find_->hide();
        stop_->show();
        for (QWidget* w : locked_)
            w->setEnabled(false);
    }
    ~SearchRunning() {
        stop_->hide();
        find_->show();
        for (QWidget* w : locked_)
            w->setEnabled(true);
    }
    SearchRunning(const SearchRunning&) = delete;
    SearchRunning& operator=(const SearchRunning&) = delete;

  private:
    QPushButton* find_;
    QPushButton* stop_;
    std::vector<QWidget*> locked_;
};

} // namespace

void StringsTab::BStringFindClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    if (!takeTypedFields())
        return;
    {
        // An empty search text is refused before anything changes.
        std::optional<SearchRunning> running;
        if (!session_.search.SearchText.empty())
            running.emplace(BStringFind_, BStringStop_,
                            std::initializer_list<QWidget*>{LEStrSearch_, CWinUtf_, CBFromBegin_});
        ws.SearchStop = false;
        QtProgress bar(Ibar_);
        session_.FindString(ws, window_.dialogs(), bar);
    }
    showFields();
}

void StringsTab::BStringStopClick() {
    // Works while the search runs (and whether or not a firmware is open).
    window_.workspace().SearchStop = true;
}

void StringsTab::CWinUtfClick(bool checked) {
    if (!takeTypedFields()) {
        CWinUtf_->setChecked(session_.search.Utf8);
        return;
    }
    session_.CodePageClicked(checked, window_.dialogs());
    showFields();
}

void StringsTab::CBFromBeginClick(bool checked) {
    if (checked)
        Ibar_->setValue(0);
}

void StringsTab::CResUtfClick(bool checked) {
    session_.ResultDecodingClicked(checked);
    LEStrThisStr_->setText(FromWin(session_.search.Searched));
}

void StringsTab::BAddStrClick() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    if (!takeTypedFields())
        return;
    session_.AddToStringTable(window_.workspace(), window_.dialogs());
    syncReplaceGrid();
}

void StringsTab::BStrSelectClick() {
    for (size_t r = 0; r < gridRows_.size(); ++r)
        SGStrReplaceTbl_->rowCheckBox(static_cast<int>(r))->setChecked(true);
}

void StringsTab::BStrUnselectClick() {
    for (size_t r = 0; r < gridRows_.size(); ++r)
        SGStrReplaceTbl_->rowCheckBox(static_cast<int>(r))->setChecked(false);
}

void StringsTab::BStrDelClick() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    session_.DeleteSelected(checkedRows());
    syncReplaceGrid();
}

void StringsTab::BStrDelAllClick() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    session_.DeleteAll();
    syncReplaceGrid();
}

void StringsTab::BStrModifyClick() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    session_.ModifyFile(window_.workspace(), window_.dialogs(), checkedRows());
    syncReplaceGrid();
}

void StringsTab::BStringTblSearchClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    BEditStr_->setEnabled(false);
    BReadTbl_->setEnabled(false);
    // The lists and the table of the last scan go at once; the scan fills the lists anew.
    for (QComboBox* combo : {CStrLang_, CStrLang2_}) {
        const QSignalBlocker quiet(combo);
        combo->clear();
    }
    SGStringTbl_->ClearGrid();
    bool found = false;
    {
        SearchRunning running(BStringTblSearch_, BStringTblStop_, {});
        ws.SearchStop = false;
        QtProgress bar(PStrFind_);
        found = session_.FindTable(ws, window_.dialogs(), bar);
    }
    BEditStr_->setEnabled(found);
    BReadTbl_->setEnabled(found);
    resetAll();
}

void StringsTab::showSurveyedLanguages(LanguageEntries entries) {
    session_.AdoptSurveyedLanguages(std::move(entries));
    BEditStr_->setEnabled(true);
    BReadTbl_->setEnabled(true);
    resetAll();
}

void StringsTab::BStringTblStopClick() {
    if (window_.workspace().FwIsOpen())
        window_.workspace().SearchStop = true;
}

void StringsTab::CStrLangChange(int item) {
    if (item < 0)
        return;
    {
        const QSignalBlocker quiet(CStrLang2_);
        CStrLang2_->setCurrentIndex(-1);
    }
    BReadTblClick();
}

void StringsTab::CStrLang2Change(int item) {
    if (item < 0)
        return;
    {
        const QSignalBlocker quiet(CStrLang_);
        CStrLang_->setCurrentIndex(-1);
    }
    BReadTblClick();
}

void StringsTab::BReadTblClick() {
    TMainF::Busy busy(window_);
    if (!busy) {
        showLanguages(); // the choice made while another operation runs is undone
        return;
    }
    const LanguageEntries& languages = session_.languages;
    std::optional<size_t> entry;
    if (CStrLang_->currentIndex() >= 0)
        entry = languages.indexOf(LanguageList::Messages,
                                  static_cast<size_t>(CStrLang_->currentIndex()));
    else if (CStrLang2_->currentIndex() >= 0)
        entry =
            languages.indexOf(LanguageList::Menus, static_cast<size_t>(CStrLang2_->currentIndex()));
    if (!entry)
        return;
    session_.SelectLanguage(window_.workspace(), window_.dialogs(), *entry);
    showStringTable();
}

void StringsTab::SGStringTblClick(int row) {
    if (row >= 0)
        LEStrMain_->setText(FromWin(session_.StringOfRow(static_cast<size_t>(row))));
}

void StringsTab::BEditStrClick() {
    TMainF::Busy busy(window_);
    const int row = SGStringTbl_->selectedRow();
    if (!busy || row < 0)
        return;
    if (!takeTypedFields())
        return;
    if (session_.EditSelected(static_cast<size_t>(row)))
        showFields();
}

void StringsTab::BDelLangClick() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    if (session_.DeleteLanguage(window_.workspace(), window_.dialogs())) {
        showLanguages();
        showStringTable();
        syncReplaceGrid();
    }
}

void StringsTab::MIFindFreeSpaceClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    QProgressBar* status = window_.statusProgress();
    status->setValue(0);
    status->show();
    QtProgress bar(status);
    const bool scanned = FindFreeSpace(ws, window_.dialogs(), bar, session_.freeRegions);
    status->hide();
    if (scanned)
        MIDisplayMemoryClick();
}

void StringsTab::MIDisplayMemoryClick() {
    window_.dialogs().informText(
        FreeMemoryStatusText(session_.freeRegions, window_.workspace().messages));
}

} // namespace tovallo::ui
