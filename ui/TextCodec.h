#pragma once

#include <QString>
#include <string>

namespace tovallo::ui {

// The core holds text as Windows-1251 bytes; widgets hold QString.
QString FromWin(const std::string& text);
std::string ToWin(const QString& text);

} // namespace tovallo::ui
