#pragma once

#include "srecord/PatchTable.h"

#include <QDialog>

class QPushButton;

namespace tovallo::ui {

class Grid;
class TMainF;

// "Pending changes": every queued change with its list, address, size and source (temporary
// file or text); "Remove selected" drops changes together with their temporary files.
class PendingChangesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PendingChangesDialog(TMainF& window);

    Grid& grid() const { return *SGPendingChanges_; }

  public slots:
    void BRemoveChangesClick();

  private:
    void refresh();

    TMainF& window_;
    PatchTable rows_;
    Grid* SGPendingChanges_;
    QPushButton* BRemoveChanges_;
};

} // namespace tovallo::ui
