#include "ui/PendingChangesDialog.h"

#include "ui/Grid.h"
#include "ui/MainWindow.h"
#include "ui/TextCodec.h"

#include <QHeaderView>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <set>
#include <string>

namespace tovallo::ui {

namespace {

ChangeList ListOf(PatchKind kind) {
    switch (kind) {
    case PatchKind::String:
        return ChangeList::Strings;
    case PatchKind::Picture:
        return ChangeList::Images;
    case PatchKind::AddrDim:
        return ChangeList::Links;
    case PatchKind::JavaMIDlet:
        return ChangeList::Java;
    case PatchKind::SoundMusic:
        return ChangeList::Sounds;
    }
    return ChangeList::Strings;
}

} // namespace

PendingChangesDialog::PendingChangesDialog(TMainF& window) : QDialog(&window), window_(window) {
    setObjectName("PendingChangesDialog");
    setWindowTitle("Pending changes");
    setFixedSize(600, 330);
    SGPendingChanges_ = new Grid("SGPendingChanges", {"List", "Address", "Size", "Source"}, this);
    SGPendingChanges_->setGeometry(8, 8, 584, 280);
    SGPendingChanges_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const std::array<int, 3> widths = {84, 84, 70};
    for (size_t c = 0; c < widths.size(); ++c)
        SGPendingChanges_->setColumnWidth(static_cast<int>(c), widths[c]);
    SGPendingChanges_->horizontalHeader()->setStretchLastSection(true);

    BRemoveChanges_ = new QPushButton("Remove selected", this);
    BRemoveChanges_->setObjectName("BRemoveChanges");
    BRemoveChanges_->setGeometry(8, 296, 130, 26);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("BClosePending");
    close->setGeometry(512, 296, 80, 26);
    connect(BRemoveChanges_, &QPushButton::clicked, this,
            &PendingChangesDialog::BRemoveChangesClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
}

void PendingChangesDialog::refresh() {
    rows_.Fill(window_.workspace().changes);
    SGPendingChanges_->ClearGrid();
    SGPendingChanges_->setRowCount(std::max<int>(1, static_cast<int>(rows_.rows().size())));
    for (size_t i = 0; i < rows_.rows().size(); ++i) {
        const auto cells = rows_.cells(i); // index, kind, address, size, value
        const int row = static_cast<int>(i);
        SGPendingChanges_->setText(row, 0, FromWin(cells[1]));
        SGPendingChanges_->setText(row, 1, FromWin(cells[2]));
        SGPendingChanges_->setText(row, 2, FromWin(cells[3]));
        SGPendingChanges_->setText(row, 3, FromWin(cells[4]));
    }
    BRemoveChanges_->setEnabled(!rows_.empty());
}

void PendingChangesDialog::BRemoveChangesClick() {
    std::set<int> selected;
    for (const QModelIndex& index : SGPendingChanges_->selectionModel()->selectedIndexes())
        selected.insert(index.row());
    std::vector<ChangeRef> changes;
    for (int row : selected)
        if (row < static_cast<int>(rows_.rows().size())) {
            const PatchRow& r = rows_.rows()[static_cast<size_t>(row)];
            changes.push_back({ListOf(r.Kind), r.Index});
        }
    // Removing drops queued work with its temporary files, so it is asked first.
    if (changes.empty() ||
        !window_.dialogs().askText("Remove the " + std::to_string(changes.size()) +
                                   " selected change(s)? Their temporary files are deleted."))
        return;
    window_.workspace().changes.remove(std::move(changes));
    refresh();
}

} // namespace tovallo::ui
