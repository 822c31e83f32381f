#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace tovallo {
struct PatchRow;
}

namespace tovallo::ui {

class Surface;
class TMainF;

// "Patch viewer": the text or picture a pending change holds.
class TPatchView : public QDialog {
    Q_OBJECT
  public:
    explicit TPatchView(TMainF& window);

    // Shows the change behind a patch table row modally; Java and sound changes show nothing.
    void showRow(const PatchRow& row);
    Surface& picture() const { return *PImage_; }
    QPlainTextEdit& text() const { return *TStr_; }

  private:
    TMainF& window_;
    Surface* PImage_;
    QPlainTextEdit* TStr_;
};

} // namespace tovallo::ui
