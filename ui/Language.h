#pragma once

#include <string>

class QWidget;

namespace tovallo {
class LanguageFile;
}

namespace tovallo::ui {

// Replaces the captions of a form's components from one section of a language file: a labelled
// edit gets its label, a menu item or menu its caption, buttons, check boxes, radio buttons,
// group boxes, labels and plain edits their text. Other components keep theirs.
void ApplyLanguage(QWidget& form, const LanguageFile& language, const std::string& section);

} // namespace tovallo::ui
