#pragma once

#include <array>
#include <string>

namespace tovallo {

// The 52 message texts (Windows-1251). Message 0 is the caption of every message box.
class Messages {
  public:
    static constexpr int Count = 52;

    Messages(); // the built-in English texts

    // The stored text, exactly as held (message 47 keeps its trailing zero byte).
    const std::string& stored(int number) const { return texts_.at(static_cast<size_t>(number)); }
    // The text as shown: everything before the first zero byte.
    std::string text(int number) const;
    void replace(int number, const std::string& text) {
        texts_.at(static_cast<size_t>(number)) = text;
    }

    static const std::string& Default(int number);

  private:
    std::array<std::string, Count> texts_;
};

} // namespace tovallo
