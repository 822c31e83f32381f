#pragma once

#include "images/ImageReplacement.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace tovallo::ui {

class LabelledEdit;
class Surface;
class TMainF;

// "Repalce Image": puts a picture loaded from a BMP file in the place of a picture of the image
// table (queued as a pending change) and exports the current picture. Created once; the key
// colour, the check boxes and the new next address survive between openings.
class TFReImage : public QDialog {
    Q_OBJECT
  public:
    explicit TFReImage(TMainF& window);

    // Prepares the dialog for an image table row and shows it modally (when it opens).
    void open(size_t row);
    using QDialog::open;
    const ReplacementDialog& state() const { return state_; }
    bool picking() const { return picking_; }

  public slots:
    void BImportImClick();
    void BReplaceImClick();
    void BExportImClick();
    void CBTranspClick(bool checked);
    void CBAutoNextAddrClick(bool checked);

  private:
    void reImageMove(int x, int y);
    void reImagePress(int x, int y);
    void setPicking(bool picking);
    void showNewPicture();

    TMainF& window_;
    ReplacementDialog state_;
    bool picking_ = false;

    Surface* OldImage_;
    Surface* ReImage_;
    Surface* TranspIm_;
    LabelledEdit* LEOldSize_;
    LabelledEdit* LENewSize_;
    LabelledEdit* LEOldAddr_;
    LabelledEdit* LENewAddr_;
    QPushButton* BImportIm_;
    QPushButton* BReplaceIm_;
    QPushButton* BCancelIm_;
    QPushButton* BExportIm_;
    QCheckBox* CBTransp_;
    QCheckBox* CBAutoNextAddr_;
};

} // namespace tovallo::ui
