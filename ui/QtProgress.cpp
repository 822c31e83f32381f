#include "ui/QtProgress.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace tovallo::ui {

void QtProgress::setRange(int maximum) {
    bar_->setRange(0, maximum);
}

void QtProgress::setPosition(int position) {
    bar_->setValue(position);
}

int QtProgress::position() const {
    return bar_->value();
}

void QtProgress::pump() {
    QCoreApplication::processEvents();
}

} // namespace tovallo::ui
