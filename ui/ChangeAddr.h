#pragma once

#include "images/ImageLinks.h"

#include <QDialog>

class QProgressBar;

namespace tovallo::ui {

class Grid;
class LabelledEdit;
class TMainF;

// "Change image link": finds the links to a picture of the image table and queues new values
// (address and, when changed, dimension) for the chosen ones.
class TChAddr : public QDialog {
    Q_OBJECT
  public:
    explicit TChAddr(TMainF& window);

    // Prepares the dialog for an image table row and shows it modally.
    void open(size_t row);
    using QDialog::open;
    Grid& finded() const { return *Finded_; }

  public slots:
    void BFindAddrClick();
    void BChangeAddrClick();

  private:
    void showState();
    bool takeEdits(); // false when an edit holds text the firmware cannot

    TMainF& window_;
    LinkDialog state_;
    size_t row_ = 0;
    LabelledEdit* LEOldAddr_;
    LabelledEdit* LENewAddr_;
    LabelledEdit* LEOldDim_;
    LabelledEdit* LENewDim_;
    Grid* Finded_;
    QProgressBar* ABar_;
};

} // namespace tovallo::ui
