#include "ui/ChangeAddr.h"

#include "ui/Grid.h"
#include "ui/GridTitles.h"
#include "ui/ImagesTab.h"
#include "ui/MainWindow.h"
#include "ui/QtProgress.h"
#include "ui/SmallWidgets.h"
#include "ui/TextCodec.h"
#include "workspace/HexText.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>

namespace tovallo::ui {

TChAddr::TChAddr(TMainF& window) : QDialog(&window), window_(window) {
    setObjectName("TChAddr");
    setWindowTitle("Change image link");
    setFixedSize(400, 260);

    auto edit = [this](const char* name, const char* label, int x, int y, bool readOnly) {
        auto* e = new LabelledEdit(name, label, this);
        e->edit()->setReadOnly(readOnly);
        e->setGeometry(x, y, 180, 38);
        return e;
    };
    LEOldAddr_ = edit("LEOldAddr", "Image address(Hex):", 8, 8, true);
    LENewAddr_ = edit("LENewAddr", "New image address:", 8, 50, false);
    LEOldDim_ = edit("LEOldDim", "Old Dimension:", 8, 92, true);
    LENewDim_ = edit("LENewDim", "New Dimension:", 8, 134, false);

    auto* find = new QPushButton("Find image link", this);
    find->setObjectName("BFindAddr");
    find->setGeometry(8, 184, 180, 26);
    auto* change = new QPushButton("Change address", this);
    change->setObjectName("BChangeAddr");
    change->setGeometry(8, 216, 180, 26);
    connect(find, &QPushButton::clicked, this, &TChAddr::BFindAddrClick);
    connect(change, &QPushButton::clicked, this, &TChAddr::BChangeAddrClick);

    Finded_ = new Grid("Finded", GridTitles(FindedTitle, 1), this);
    Finded_->setGeometry(200, 8, 192, 220);
    Finded_->horizontalHeader()->setStretchLastSection(true);
    Finded_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ABar_ = new QProgressBar(this);
    ABar_->setObjectName("ABar");
    ABar_->setTextVisible(false);
    ABar_->setGeometry(200, 236, 192, 14);
}

void TChAddr::showState() {
    LEOldAddr_->setText(FromWin(state_.OldAddr));
    LENewAddr_->setText(FromWin(state_.NewAddr));
    LEOldDim_->setText(FromWin(state_.OldDim));
    LENewDim_->setText(FromWin(state_.NewDim));
    Finded_->ClearGrid();
    Finded_->setRowCount(std::max<int>(1, static_cast<int>(state_.Finded.size())));
    for (size_t i = 0; i < state_.Finded.size(); ++i)
        Finded_->setText(static_cast<int>(i), 0,
                         QString::fromStdString(ToHexAddr(state_.Finded[i])));
}

bool TChAddr::takeEdits() {
    auto address = ToWin(LENewAddr_->text(), window_.dialogs());
    auto dimension = address ? ToWin(LENewDim_->text(), window_.dialogs()) : std::nullopt;
    if (!dimension)
        return false;
    state_.NewAddr = std::move(*address);
    state_.NewDim = std::move(*dimension);
    return true;
}

void TChAddr::open(size_t row) {
    if (!OpenLinkDialog(state_, window_.imagesTab().imageTable(), row))
        return;
    row_ = row;
    showState();
    exec();
}

void TChAddr::BFindAddrClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen() || state_.OldAddr.empty() || !takeEdits())
        return;
    QtProgress bar(ABar_);
    setEnabled(false);
    FindImageLinks(ws, state_, bar, window_.dialogs());
    setEnabled(true);
    showState();
}

void TChAddr::BChangeAddrClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen() || state_.Finded.empty() || !takeEdits())
        return;
    // The rows from the first to the last selected one.
    int first = -1, last = -1;
    for (const QTableWidgetSelectionRange& range : Finded_->selectedRanges()) {
        first = first < 0 ? range.topRow() : std::min(first, range.topRow());
        last = std::max(last, range.bottomRow());
    }
    if (first < 0)
        first = last = std::max(0, Finded_->currentRow());
    last = std::min(last, static_cast<int>(state_.Finded.size()) - 1);
    if (first > last)
        return;
    if (QueueLinkChanges(ws, state_, static_cast<size_t>(first), static_cast<size_t>(last),
                         window_.imagesTab().imageTable(), row_, window_.dialogs()))
        accept();
    window_.imagesTab().refreshImageTable();
}

} // namespace tovallo::ui
