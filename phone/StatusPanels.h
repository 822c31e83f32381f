#pragma once

#include <array>
#include <functional>
#include <string>

namespace tovallo {

// The texts the phone link shows in the status bar: 0 model, 1 firmware, 2 IMEI, 3 IMSI,
// 4 memory or the file being sent. The window mirrors them through `onChange`.
class StatusPanels {
  public:
    static constexpr int Count = 5;
    static constexpr int Model = 0, Firmware = 1, Imei = 2, Imsi = 3, Memory = 4;

    StatusPanels() { showDisconnected(); }

    const std::string& text(int panel) const { return texts_.at(static_cast<size_t>(panel)); }
    void set(int panel, std::string text) {
        texts_.at(static_cast<size_t>(panel)) = std::move(text);
        if (onChange)
            onChange(panel, texts_[static_cast<size_t>(panel)]);
    }
    // Every panel empty but the first, which reads "Disconnected".
    void showDisconnected() {
        for (int i = 0; i < Count; ++i)
            set(i, i == Model ? "Disconnected" : "");
    }

    std::function<void(int panel, const std::string& text)> onChange;

  private:
    std::array<std::string, Count> texts_;
};

} // namespace tovallo
