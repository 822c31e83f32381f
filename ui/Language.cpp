#include "ui/Language.h"

#include "ui/SmallWidgets.h"
#include "ui/TextCodec.h"
#include "workspace/Settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace tovallo::ui {

namespace {

void ApplyCaption(QObject* component, const QString& text) {
    if (auto* labelled = qobject_cast<LabelledEdit*>(component))
        labelled->label()->setText(text);
    else if (auto* menu = qobject_cast<QMenu*>(component))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(component))
        action->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(component))
        button->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(component))
        box->setTitle(text);
    else if (auto* label = qobject_cast<QLabel*>(component))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(component))
        edit->setText(text);
}

// Components in creation order; the dialogs owned by a form are forms of their own.
void ApplyToChildren(QObject& owner, const LanguageFile& language, const std::string& section) {
    for (QObject* component : owner.children()) {
        if (qobject_cast<QDialog*>(component))
            continue;
        const std::string name = component->objectName().toStdString();
        if (!name.empty()) {
            const std::string caption = language.caption(section, name);
            if (!caption.empty())
                ApplyCaption(component, FromWin(caption));
        }
        ApplyToChildren(*component, language, section);
    }
}

} // namespace

void ApplyLanguage(QWidget& form, const LanguageFile& language, const std::string& section) {
    ApplyToChildren(form, language, section);
}

} // namespace tovallo::ui
