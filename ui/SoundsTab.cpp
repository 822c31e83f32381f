#include "ui/SoundsTab.h"

#include "ui/FileBrowser.h"
#include "ui/Grid.h"
#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "ui/TextCodec.h"
#include "workspace/HexText.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <utility>

namespace tovallo::ui {

namespace {

constexpr int MaxAddressText = 10;
constexpr int MaxSoundName = 64;

} // namespace

SoundsTab::SoundsTab(TMainF& window) : QObject(&window), window_(window) {
    buildSearch();
    GBSoundFiles_ = new FileBrowser(window_.tabArea());
    GBSoundFiles_->setGeometry(474, 0, 316, 488);
    window_.addTabGroup(TabSounds, GBSoundFiles_);
    // On this tab the browser chooses the one replacement file.
    window_.setTabEnter(TabSounds, [this] { GBSoundFiles_->setMultiSelection(false); });
    connect(&window_, &TMainF::firmwareOpened, this, &SoundsTab::resetAll);
    connect(&window_, &TMainF::modelSelected, this, &SoundsTab::resetAll);
}

void SoundsTab::buildSearch() {
    GBSoundSearch_ = new QGroupBox("Sound && Music search", window_.tabArea());
    GBSoundSearch_->setObjectName("GBSoundSearch");
    GBSoundSearch_->setGeometry(2, 0, 470, 488);
    window_.addTabGroup(TabSounds, GBSoundSearch_);
    QGroupBox* box = GBSoundSearch_;
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->setSpacing(3);

    using Handler = void (SoundsTab::*)();
    auto button = [&](const char* name, const char* caption, Handler handler, int row, int column,
                      int span = 1) {
        QPushButton* b = Named<QPushButton>(box, name, caption);
        layout->addWidget(b, row, column, 1, span);
        connect(b, &QPushButton::clicked, this, handler);
    };
    auto addressEdit = [&](const char* name, const char* label) {
        auto* edit = new LabelledEdit(name, label, box, true);
        edit->edit()->setMaxLength(MaxAddressText);
        // Room for a whole address text.
        edit->edit()->setMinimumWidth(edit->fontMetrics().horizontalAdvance("0x00000000") + 12);
        return edit;
    };
    button("BSndFind", "Find Sounds&&Music", &SoundsTab::BSndFindClick, 0, 0);
    button("BSndFindTbl", "Find Sounds Table", &SoundsTab::BSndFindTblClick, 0, 1);
    button("BSndReadTbl", "Read Sounds Table", &SoundsTab::BSndReadTblClick, 0, 2);
    LESoundTblAddr_ = addressEdit("LESoundTblAddr", "Table addr: ");
    layout->addWidget(LESoundTblAddr_, 1, 0);
    button("BSndSaveTbl", "Save Table to File", &SoundsTab::BSndSaveTblClick, 1, 1);
    button("BSndOpenTbl", "Open Table from File", &SoundsTab::BSndOpenTblClick, 1, 2);

    SGSoundTbl_ = new Grid("SGSoundTbl", {"Name", "Address", "Size", "Type"}, box);
    SGSoundTbl_->setToolTip("This is Finded Sounds");
    SGSoundTbl_->setSelectionMode(QAbstractItemView::SingleSelection);
    const std::array<int, 3> widths = {150, 100, 90};
    for (size_t c = 0; c < widths.size(); ++c)
        SGSoundTbl_->setColumnWidth(static_cast<int>(c), widths[c]);
    SGSoundTbl_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(SGSoundTbl_, 2, 0, 1, 3);
    layout->setRowStretch(2, 1);
    ESndTbl_ = new QLineEdit(SGSoundTbl_->viewport());
    ESndTbl_->setObjectName("ESndTbl");
    ESndTbl_->setMaxLength(MaxSoundName);
    ESndTbl_->hide();
    connect(SGSoundTbl_, &QTableWidget::cellDoubleClicked, this, &SoundsTab::SGSoundTblDblClick);
    connect(ESndTbl_, &QLineEdit::editingFinished, this, &SoundsTab::finishRename);
    // Leaving the box ends the rename also when its text did not change.
    ESndTbl_->installEventFilter(this);

    PBSoundTbl_ = new QProgressBar(box);
    PBSoundTbl_->setObjectName("PBSoundTbl");
    PBSoundTbl_->setTextVisible(false);
    PBSoundTbl_->setFixedHeight(12);
    PBSoundTbl_->setValue(0);
    layout->addWidget(PBSoundTbl_, 3, 0, 1, 3);

    button("BSndExport", "Export Sound/Music", &SoundsTab::BSndExportClick, 4, 0, 2);
    button("BSndReplace", "Replace Sound/Music to Selected file", &SoundsTab::BSndReplaceClick, 5,
           0, 2);
    button("BSndFindAddr", "Find Sound Link", &SoundsTab::BSndFindAddrClick, 6, 0, 2);
    LESndNewAddr_ = addressEdit("LESndNewAddr", "New addr: ");
    layout->addWidget(LESndNewAddr_, 7, 0, 1, 2);
    button("BSndChngAddr", "Change Sound Addr", &SoundsTab::BSndChngAddrClick, 8, 0, 2);
    SGSndFinded_ = new Grid("SGSndFinded", {"Address"}, box);
    // A range of link positions is re-pointed at once.
    SGSndFinded_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SGSndFinded_->horizontalHeader()->setStretchLastSection(true);
    SGSndFinded_->setFixedHeight(136);
    layout->addWidget(SGSndFinded_, 4, 2, 5, 1);
}

void SoundsTab::showSoundList(SoundList list, std::optional<uint32_t> table) {
    list_ = std::move(list);
    if (table)
        LESoundTblAddr_->setText(FromWin(ToHexAddr(*table)));
    showRows();
}

void SoundsTab::showRows() {
    renaming_ = -1;
    ESndTbl_->hide();
    SGSoundTbl_->setUpdatesEnabled(false);
    SGSoundTbl_->ClearGrid();
    SGSoundTbl_->setRowCount(std::max<int>(1, static_cast<int>(list_.size())));
    for (size_t r = 0; r < list_.size(); ++r)
        showRow(r);
    SGSoundTbl_->setUpdatesEnabled(true);
}

void SoundsTab::showRow(size_t row) {
    const auto cells = SoundCells(list_.rows[row]);
    for (size_t c = 0; c < cells.size(); ++c)
        SGSoundTbl_->setText(static_cast<int>(row), static_cast<int>(c), FromWin(cells[c]));
}

void SoundsTab::showLinks() {
    SGSndFinded_->ClearGrid();
    SGSndFinded_->setRowCount(std::max<int>(1, static_cast<int>(links_.size())));
    for (size_t i = 0; i < links_.size(); ++i)
        SGSndFinded_->setText(static_cast<int>(i), 0, FromWin(ToHexAddr(links_[i])));
}

std::optional<size_t> SoundsTab::selectedSound() const {
    const int row = SGSoundTbl_->selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= list_.size())
        return std::nullopt;
    return static_cast<size_t>(row);
}

void SoundsTab::SGSoundTblDblClick(int row, int column) {
    if (column != 0 || row < 0 || static_cast<size_t>(row) >= list_.size() || window_.busy())
        return;
    const QRect cell = SGSoundTbl_->visualRect(SGSoundTbl_->model()->index(row, 0));
    ESndTbl_->setGeometry(cell.x() + 1, cell.y() + 1, cell.width() + 1, cell.height() + 1);
    ESndTbl_->setText(SGSoundTbl_->text(row, 0));
    renaming_ = row;
    ESndTbl_->show();
    ESndTbl_->setFocus();
}

void SoundsTab::finishRename() {
    // Hiding the box moves the focus, which reports the end of editing once more.
    const int row = std::exchange(renaming_, -1);
    if (row < 0)
        return;
    ESndTbl_->hide();
    SGSoundTbl_->setFocus();
    const auto name = ToWin(ESndTbl_->text(), window_.dialogs());
    if (name && RenameSound(list_, static_cast<size_t>(row), *name))
        showRow(static_cast<size_t>(row));
}

bool SoundsTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ESndTbl_ && event->type() == QEvent::FocusOut)
        finishRename();
    return QObject::eventFilter(watched, event);
}

void SoundsTab::resetAll() {
    list_.clear();
    links_.clear();
    LESoundTblAddr_->setText(QString());
    showRows();
    showLinks();
}

} // namespace tovallo::ui
