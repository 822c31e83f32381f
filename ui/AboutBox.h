#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace tovallo::ui {

class TMainF;

// The About box: borderless, a picture, the version line, scrolling text and where the settings
// file lives. A click anywhere or the Ok button closes it.
class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(TMainF& window);

    QString settingsLine() const;
    int exec() override;

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void scroll();

    TMainF& window_;
    QLabel* location_;
    QWidget* scrollArea_;
    QLabel* scrollText_;
    QTimer* timer_;
};

} // namespace tovallo::ui
