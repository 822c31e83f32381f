#include "ui/ChangeAddr.h"
#include "ui/Language.h"
#include "ui/MainWindow.h"
#include "ui/RawImage.h"

#include <QAction>

namespace tovallo::ui {

void TMainF::FormShow() {
    const StartupSettings startup = settings_->LoadSettings(ws_.messages);
    if (startup.showAbout)
        showAbout();
    // The remembered menu choices run their click handlers as a user's click would; a name that
    // is no menu item of this window is ignored.
    for (const std::string& name : startup.menuItemsToClick)
        if (auto* item = findChild<QAction*>(QString::fromStdString(name));
            item && item->isCheckable())
            item->trigger();
    if (startup.autoRefresh)
        if (auto* autoRefresh = findChild<QAction*>("MIAutoRefresh"))
            autoRefresh->setChecked(true);
    if (!startup.languageFile.empty())
        applyLanguage(startup.languageFile);
}

void TMainF::applyLanguage(const std::string& path) {
    const LanguageFile language(path);
    if (!language.loaded())
        return;
    ApplyLanguage(*this, language, "Form1");
    ApplyLanguage(*reImage_, language, "Form2");
    ApplyLanguage(*chAddr_, language, "Form3");
}

} // namespace tovallo::ui
