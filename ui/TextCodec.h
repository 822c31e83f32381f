#pragma once

#include <QString>
#include <optional>
#include <string>

namespace tovallo {
class Dialogs;
}

namespace tovallo::ui {

// The core holds text as Windows-1251 bytes; widgets hold QString.
QString FromWin(const std::string& text);
// A message the program composed: Windows-1251 words around file names in the system's UTF-8.
QString FromMessage(const std::string& text);
// Nothing when the text holds a character Windows-1251 lacks.
std::optional<std::string> ToWin(const QString& text);
// As ToWin, and says which character the code page lacks through `dialogs`.
std::optional<std::string> ToWin(const QString& text, Dialogs& dialogs);

} // namespace tovallo::ui
