#include "ui/TextCodec.h"

#include "strings/Cp1251.h"
#include "workspace/Dialogs.h"

namespace tovallo::ui {

QString FromWin(const std::string& text) {
    return QString::fromStdString(Cp1251ToUtf8(text));
}

QString FromMessage(const std::string& text) {
    return QString::fromStdString(ComposedTextToUtf8(text));
}

std::optional<std::string> ToWin(const QString& text) {
    return Utf8ToCp1251(text.toStdString()).text;
}

std::optional<std::string> ToWin(const QString& text, Dialogs& dialogs) {
    Cp1251Result result = Utf8ToCp1251(text.toStdString());
    if (!result.text)
        dialogs.errorText("The text cannot be used: " + result.problem() + ".");
    return std::move(result.text);
}

} // namespace tovallo::ui
