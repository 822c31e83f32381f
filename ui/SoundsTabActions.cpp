#include "media/SoundDiscovery.h"
#include "media/SoundEdits.h"
#include "media/SoundTableFile.h"
#include "ui/FileBrowser.h"
#include "ui/Grid.h"
#include "ui/MainWindow.h"
#include "ui/QtProgress.h"
#include "ui/SmallWidgets.h"
#include "ui/SoundsTab.h"
#include "ui/TextCodec.h"
#include "workspace/HexText.h"

#include <QProgressBar>
#include <algorithm>

namespace tovallo::ui {

void SoundsTab::BSndFindClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    list_.clear();
    showRows();
    ws.SearchStop = false;
    QtProgress bar(PBSoundTbl_);
    FindSounds(ws, list_, bar, window_.dialogs());
    showRows();
}

void SoundsTab::BSndFindTblClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    LESoundTblAddr_->setText(QString());
    list_.clear();
    showRows();
    ws.SearchStop = false;
    QtProgress bar(PBSoundTbl_);
    if (const auto table = FindSoundsTable(ws, list_, bar, window_.dialogs()))
        LESoundTblAddr_->setText(FromWin(ToHexAddr(*table)));
}

void SoundsTab::BSndReadTblClick() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    const auto typed = ToWin(LESoundTblAddr_->text(), window_.dialogs());
    if (!typed)
        return;
    std::string address = *typed;
    const bool read = ReadSoundsTableAt(window_.workspace(), address, list_, window_.dialogs());
    LESoundTblAddr_->setText(FromWin(address));
    if (read)
        showRows();
}

void SoundsTab::BSndSaveTblClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    if (const auto path = window_.dialogs().saveFile(TableFileFilter))
        SaveSoundTable(window_.workspace(), *path, list_, window_.dialogs());
}

void SoundsTab::BSndOpenTblClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    const auto path = window_.dialogs().openFile(TableFileFilter);
    if (path && LoadSoundTable(*path, list_, window_.dialogs()))
        showRows();
}

void SoundsTab::BSndExportClick() {
    TMainF::Busy busy(window_);
    const auto row = selectedSound();
    if (!busy || !row || !window_.workspace().FwIsOpen())
        return;
    // The dialog proposes the sound's name as a file name.
    const std::string name = FromWin(list_.rows[*row].Name).toStdString();
    if (const auto path = window_.dialogs().saveFile(SoundFileFilter, name))
        ExportSound(window_.workspace(), list_, *row, *path, window_.dialogs());
}

void SoundsTab::BSndReplaceClick() {
    TMainF::Busy busy(window_);
    const auto row = selectedSound();
    const std::vector<std::string> files = GBSoundFiles_->selectedFiles();
    if (!busy || !row || files.empty())
        return;
    ReplaceSound(window_.workspace(), list_, *row, files.front(), window_.dialogs());
}

void SoundsTab::BSndFindAddrClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    const auto row = selectedSound();
    if (!busy || !row || !ws.FwIsOpen())
        return;
    ws.SearchStop = false;
    QtProgress bar(PBSoundTbl_);
    links_ = FindSoundLinks(ws, list_, *row, bar, window_.dialogs());
    showLinks();
}

void SoundsTab::BSndChngAddrClick() {
    TMainF::Busy busy(window_);
    const auto row = selectedSound();
    if (!busy || !row || links_.empty() || LESndNewAddr_->text().isEmpty())
        return;
    // The selection is one range of rows (or the current row).
    int first = SGSndFinded_->currentRow();
    int last = first;
    if (const auto ranges = SGSndFinded_->selectedRanges(); !ranges.isEmpty()) {
        first = ranges.first().topRow();
        last = ranges.first().bottomRow();
    }
    last = std::min(last, static_cast<int>(links_.size()) - 1);
    if (first < 0 || first > last)
        return;
    const std::vector<uint32_t> chosen(links_.begin() + first, links_.begin() + last + 1);
    const auto typed = ToWin(LESndNewAddr_->text(), window_.dialogs());
    if (!typed)
        return;
    std::string address = *typed;
    const bool changed =
        ChangeSoundAddr(window_.workspace(), list_, *row, chosen, address, window_.dialogs());
    LESndNewAddr_->setText(FromWin(address));
    if (changed)
        showRow(*row);
}

} // namespace tovallo::ui
