#pragma once

#include "workspace/Dialogs.h"

#include <QString>

class QWidget;

namespace tovallo {
class Messages;
}

namespace tovallo::ui {

// Message boxes and file dialogs of the desktop program. Message 0 is every box's caption.
class QtDialogs : public Dialogs {
  public:
    QtDialogs(QWidget* parent, const Messages& messages) : parent_(parent), messages_(messages) {}

    void inform(int message, const std::string& appended = {}) override;
    void warn(int message, const std::string& appended = {}) override;
    void error(int message, const std::string& appended = {}) override;
    bool ask(int message, const std::string& appended = {}) override;
    bool askText(const std::string& text) override;
    Answer askYesNoCancel(int message, const std::string& appended = {}) override;
    void errorText(const std::string& text) override;
    void informText(const std::string& text) override;
    std::optional<std::string> openFile(const std::string& filter) override;
    std::optional<std::string> saveFile(const std::string& filter,
                                        const std::string& suggestedName = {}) override;

  private:
    QWidget* parent_;
    const Messages& messages_;
};

// "BMP file|*.bmp|All files|*.*" as Qt writes it: "BMP file (*.bmp);;All files (*.*)".
QString QtFilter(const std::string& filter);

} // namespace tovallo::ui
