#include "ui/MainWindow.h"

#include "phone/PhoneSettings.h"
#include "ui/StringsTab.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace tovallo::ui {

namespace {

QMenu* NamedMenu(QWidget* parent, const char* name, const char* caption) {
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(name);
    return menu;
}

QAction* NamedAction(QMenu* menu, const char* name, const char* caption,
                     const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

QActionGroup* TMainF::radioGroup(QMenu* menu, const std::vector<std::pair<QString, QString>>& items,
                                 const QString& checked, const std::function<void(int)>& onPick) {
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (size_t i = 0; i < items.size(); ++i) {
        QAction* action = menu->addAction(items[i].second);
        action->setObjectName(items[i].first);
        action->setCheckable(true);
        action->setChecked(items[i].first == checked);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [onPick, i] { onPick(static_cast<int>(i)); });
    }
    return group;
}

void TMainF::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu");

    QMenu* file = NamedMenu(bar, "MIFile", "&File");
    connect(NamedAction(file, "MIOpen", "Open Firmware...", QKeySequence("Ctrl+O")),
            &QAction::triggered, this, &TMainF::OpenFirmware);
    connect(NamedAction(file, "MISaveAllchanges", "Save All changes in Firmware..."),
            &QAction::triggered, this, &TMainF::MISaveAllchangesClick);
    connect(NamedAction(file, "MIPendingChanges", "Pending changes..."), &QAction::triggered, this,
            &TMainF::MIPendingChangesClick);
    // The platform's quit key (Ctrl+Q where it has none): Ctrl+X is the cut key of the edits.
    const QKeySequence quit =
        QKeySequence::keyBindings(QKeySequence::Quit).value(0, QKeySequence("Ctrl+Q"));
    connect(NamedAction(file, "MIExit", "Exit", quit), &QAction::triggered, this, &QWidget::close);
    bar->addMenu(file);

    QMenu* options = NamedMenu(bar, "MIOptions", "Options");
    QMenu* phoneType = NamedMenu(options, "MIPhoneType", "Phone Model");
    std::vector<std::pair<QString, QString>> models;
    for (PhoneModel model : AllPhoneModels)
        models.emplace_back(QString::fromStdString(ModelComponentName(model)),
                            QString::fromStdString(ModelCaption(model)));
    radioGroup(phoneType, models, "C2001", [this](int i) {
        ws_.SelectModel(AllPhoneModels[static_cast<size_t>(i)]);
        emit modelSelected();
    });
    options->addMenu(phoneType);

    QMenu* fileManagerOptions = NamedMenu(options, "MIFileManagerOptions", "File Manager");
    NamedAction(fileManagerOptions, "MIAutoRefresh", "Auto Refresh List")->setCheckable(true);
    // Each item carries its value; the component names are the ones the settings file stores.
    const auto item = [](const std::string& name, const QString& caption) {
        return std::pair{QString::fromStdString(name), caption};
    };
    QMenu* port = NamedMenu(fileManagerOptions, "MIPhonePort", "COM Port");
    std::vector<std::pair<QString, QString>> ports;
    for (int n = 1; n <= PhonePortCount; ++n)
        ports.push_back(item(PortMenuItem(n), QString("COM%1").arg(n)));
    radioGroup(port, ports, "COM41", [this](int i) { PhonePort = i + 1; });
    fileManagerOptions->addMenu(port);

    QMenu* baud = NamedMenu(fileManagerOptions, "MIBaudRate", "BaudRate");
    std::vector<std::pair<QString, QString>> bauds;
    for (int rate : PhoneBaudRates)
        bauds.push_back(item(BaudMenuItem(rate), QString::number(rate)));
    radioGroup(baud, bauds, "B115200",
               [this](int i) { PhoneBaud = PhoneBaudRates[static_cast<size_t>(i)]; });
    fileManagerOptions->addMenu(baud);

    QMenu* timeOut = NamedMenu(fileManagerOptions, "MITimeOut", "Time Out");
    std::vector<std::pair<QString, QString>> timeOuts;
    for (int ms : PhoneTimeOutChoices)
        timeOuts.push_back(item(TimeOutMenuItem(ms), QString("%1 ms").arg(ms)));
    radioGroup(timeOut, timeOuts, "ms1500",
               [this](int i) { PhoneTimeOut = PhoneTimeOutChoices[static_cast<size_t>(i)]; });
    fileManagerOptions->addMenu(timeOut);
    options->addMenu(fileManagerOptions);
    bar->addMenu(options);

    QMenu* resources = NamedMenu(bar, "MIResources", "Resources");
    connect(NamedAction(resources, "MIFindAllResources", "Find All Resources"), &QAction::triggered,
            this, &TMainF::MIFindAllResourcesClick);
    // The free regions belong to the strings session, which places strings in them.
    connect(NamedAction(resources, "MIFindFreeSpace", "Find Free Space"), &QAction::triggered, this,
            [this] { stringsTab_->MIFindFreeSpaceClick(); });
    connect(NamedAction(resources, "MIDisplayMemory", "Display Free Memory Status"),
            &QAction::triggered, this, [this] { stringsTab_->MIDisplayMemoryClick(); });
    NamedAction(resources, "MICreatePatchFreeSpace", "Create Patch for Free Space")
        ->setEnabled(false);
    bar->addMenu(resources);

    fileManagerMenu_ = NamedMenu(bar, "MIFileManager", "File Manager");
    NamedAction(fileManagerMenu_, "MIConnect", "Connect to Phone");
    NamedAction(fileManagerMenu_, "MIDisconnect", "Disconnect");
    bar->addMenu(fileManagerMenu_);
    fileManagerMenu_->menuAction()->setVisible(false);

    QMenu* help = NamedMenu(bar, "MIHelp", "&Help");
    connect(NamedAction(help, "MIAbout", "About"), &QAction::triggered, this, &TMainF::showAbout);
    bar->addMenu(help);
}

std::string TMainF::checkedItemName(const char* parentMenu) const {
    const auto* menu = findChild<QMenu*>(parentMenu);
    if (!menu)
        return {};
    for (const QAction* action : menu->actions())
        if (action->isCheckable() && action->isChecked())
            return action->objectName().toStdString();
    return {};
}

} // namespace tovallo::ui
