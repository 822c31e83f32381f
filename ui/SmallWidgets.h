#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

class QToolButton;

namespace tovallo::ui {

// A captioned control (button, radio button, check box) carrying its component name.
template <class Control> Control* Named(QWidget* parent, const char* name, const QString& caption) {
    auto* control = new Control(caption, parent);
    control->setObjectName(name);
    return control;
}

// An edit with its caption label; a language file changes the label, never the content.
class LabelledEdit : public QWidget {
    Q_OBJECT
  public:
    // The label stands above the edit, or to its left when `labelLeft`.
    LabelledEdit(const QString& name, const QString& label, QWidget* parent,
                 bool labelLeft = false);

    QLineEdit* edit() const { return edit_; }
    QLabel* label() const { return label_; }
    QString text() const { return edit_->text(); }
    void setText(const QString& text) { edit_->setText(text); }

  private:
    QLabel* label_;
    QLineEdit* edit_;
};

// A horizontal up-down: two arrows that move a position inside a range.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    UpDown(const QString& name, int minimum, int maximum, int position, QWidget* parent);
    int position() const { return position_; }
    // Sets the position without reporting a change.
    void setPosition(int position);
    void step(int delta);

  signals:
    void changed(int position);

  private:
    int minimum_;
    int maximum_;
    int position_;
};

} // namespace tovallo::ui
