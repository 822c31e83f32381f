#pragma once

#include "media/SoundList.h"

#include <QObject>
#include <cstdint>
#include <optional>
#include <vector>

class QGroupBox;
class QLineEdit;
class QProgressBar;

namespace tovallo::ui {

class FileBrowser;
class Grid;
class LabelledEdit;
class TMainF;

// The "Sounds && Music" tab: the sound list found by scanning, read from the firmware's sound
// table or loaded from a table file, with rename in place, export, replacement by a file chosen
// in the file browser, and the links to a sound with their re-pointing.
class SoundsTab : public QObject {
    Q_OBJECT
  public:
    explicit SoundsTab(TMainF& window);

    // Shows `list` in place of the current one; with `table`, "Table addr: " shows it.
    void showSoundList(SoundList list, std::optional<uint32_t> table = std::nullopt);
    const SoundList& soundList() const { return list_; }
    const std::vector<uint32_t>& linkPositions() const { return links_; }
    Grid& soundGrid() const { return *SGSoundTbl_; }
    Grid& linkGrid() const { return *SGSndFinded_; }
    // Shared with the phone tab, which lets several files be selected.
    FileBrowser& fileBrowser() const { return *GBSoundFiles_; }

  public slots:
    void BSndFindClick();
    void BSndFindTblClick();
    void BSndReadTblClick();
    void BSndSaveTblClick();
    void BSndOpenTblClick();
    void BSndExportClick();
    void BSndReplaceClick();
    void BSndFindAddrClick();
    void BSndChngAddrClick();
    // Places ESndTbl over the name cell of `row`; other columns are not editable.
    void SGSoundTblDblClick(int row, int column);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildSearch();
    void showRows();
    void showRow(size_t row);
    void showLinks();
    // The selected sound row, when it holds a sound.
    std::optional<size_t> selectedSound() const;
    void finishRename();
    void resetAll();

    TMainF& window_;
    SoundList list_;
    std::vector<uint32_t> links_;
    // The row ESndTbl renames, -1 while it is hidden.
    int renaming_ = -1;

    QGroupBox* GBSoundSearch_ = nullptr;
    LabelledEdit* LESoundTblAddr_ = nullptr;
    Grid* SGSoundTbl_ = nullptr;
    QLineEdit* ESndTbl_ = nullptr;
    QProgressBar* PBSoundTbl_ = nullptr;
    LabelledEdit* LESndNewAddr_ = nullptr;
    Grid* SGSndFinded_ = nullptr;
    FileBrowser* GBSoundFiles_ = nullptr;
};

} // namespace tovallo::ui
