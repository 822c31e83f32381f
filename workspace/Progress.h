#pragma once

#include <chrono>

namespace tovallo {

// A progress bar of a long operation plus the chance to let the window breathe.
class Progress {
  public:
    virtual ~Progress() = default;

    virtual void setRange(int maximum) = 0; // minimum is always 0
    virtual void setPosition(int position) = 0;
    virtual int position() const = 0;
    void advance(int steps = 1) { setPosition(position() + steps); }
    // Lets the window repaint and its Stop buttons work.
    virtual void pump() = 0;
    // The Stop request of operations that have their own Stop button besides the text search.
    virtual bool stopRequested() const { return false; }
};

// A progress that shows nothing.
class NullProgress : public Progress {
  public:
    void setRange(int maximum) override { maximum_ = maximum; }
    void setPosition(int position) override { position_ = position; }
    int position() const override { return position_; }
    void pump() override {}
    int maximum() const { return maximum_; }

  private:
    int maximum_ = 0;
    int position_ = 0;
};

// Decides when a scan should pump: about every `interval` of work, so the window stays
// responsive without paying for an event loop round after every small block.
class PumpClock {
  public:
    explicit PumpClock(std::chrono::milliseconds interval) : interval_(interval) {}
    bool due() {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < interval_)
            return false;
        last_ = now;
        return true;
    }

  private:
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

} // namespace tovallo
