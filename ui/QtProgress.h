#pragma once

#include "workspace/Progress.h"

class QProgressBar;

namespace tovallo::ui {

// A QProgressBar as the core's Progress; pump() lets the window repaint and its Stop buttons
// work while a long operation runs on the window's thread.
class QtProgress : public Progress {
  public:
    explicit QtProgress(QProgressBar* bar, const bool* stop = nullptr) : bar_(bar), stop_(stop) {}

    void setRange(int maximum) override;
    void setPosition(int position) override;
    int position() const override;
    void pump() override;
    bool stopRequested() const override { return stop_ != nullptr && *stop_; }

  private:
    QProgressBar* bar_;
    const bool* stop_;
};

} // namespace tovallo::ui
