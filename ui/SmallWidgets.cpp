#include "ui/SmallWidgets.h"

#include <QBoxLayout>
#include <QToolButton>
#include <algorithm>

namespace tovallo::ui {

LabelledEdit::LabelledEdit(const QString& name, const QString& label, QWidget* parent,
                           bool labelLeft)
    : QWidget(parent), label_(new QLabel(label, this)), edit_(new QLineEdit(this)) {
    setObjectName(name);
    QBoxLayout* layout = labelLeft ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                                   : static_cast<QBoxLayout*>(new QVBoxLayout(this));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(label_);
    layout->addWidget(edit_, 1);
    label_->setBuddy(edit_);
}

UpDown::UpDown(const QString& name, int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), position_(position) {
    setObjectName(name);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::LeftArrow);
    down->setAutoRepeat(true);
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::RightArrow);
    up->setAutoRepeat(true);
    layout->addWidget(down);
    layout->addWidget(up);
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void UpDown::step(int delta) {
    const int next = std::clamp(position_ + delta, minimum_, maximum_);
    if (next == position_)
        return;
    position_ = next;
    emit changed(position_);
}

} // namespace tovallo::ui
