#include "ui/MainWindow.h"

#include "ui/AboutBox.h"
#include "ui/AnimationTab.h"
#include "ui/ChangeAddr.h"
#include "ui/ImagesTab.h"
#include "ui/JavaTab.h"
#include "ui/PatchViewer.h"
#include "ui/PendingChangesDialog.h"
#include "ui/PhoneTab.h"
#include "ui/QtDialogs.h"
#include "ui/RawImage.h"
#include "ui/S3Tab.h"
#include "ui/SoundsTab.h"
#include "ui/StringsTab.h"
#include "ui/UExclude.h"
#include "workspace/MessageNumbers.h"
#include "workspace/SaveChanges.h"
#include "workspace/UndoFile.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <filesystem>

namespace tovallo::ui {

namespace {

constexpr int ClientWidth = 792;
constexpr int ClientHeight = 534;
constexpr int StatusBarHeight = 20;
constexpr std::array<int, 5> PanelWidths = {128, 128, 144, 144, 128};
// How long the status bar shows the outcome of a save or a refused close.
constexpr int ReportMilliseconds = 15000;

QString ChangesText(size_t count) {
    return QString("%1 change%2").arg(count).arg(count == 1 ? "" : "s");
}

} // namespace

TMainF::Busy::Busy(TMainF& window) : window_(window), acquired_(!window.busy_) {
    if (acquired_) {
        window_.busy_ = true;
        window_.lockForOperation(true);
    }
}

TMainF::Busy::~Busy() {
    if (acquired_) {
        window_.lockForOperation(false);
        window_.busy_ = false;
    }
}

TMainF::TMainF(std::string configDir, QWidget* parent)
    : QMainWindow(parent), configDir_(std::move(configDir)),
      qtDialogs_(std::make_unique<QtDialogs>(this, ws_.messages)),
      settings_(std::make_unique<SettingsStore>(configDir_)), tabGroups_(7), tabEnter_(7) {
    setObjectName("TMainF");
    // Undo files of firmware in folders that cannot be written go beside the settings.
    ws_.undoFolder = configDir_;
    FormCreate();
    // The dialogs live as long as the window, created once in this order.
    reImage_ = new TFReImage(*this);
    about_ = new AboutBox(*this);
    chAddr_ = new TChAddr(*this);
    patchView_ = new TPatchView(*this);
    excludeAddr_ = new TFExcludeAddr(*this);
}

TMainF::~TMainF() = default;

Dialogs& TMainF::dialogs() {
    return injected_ ? *injected_ : *qtDialogs_;
}

std::string TMainF::settingsPath() const {
    return settings_->settingsPath();
}

void TMainF::FormCreate() {
    setWindowTitle(Caption);
    // The small dialog font the layout was drawn for.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    current_.Width = 128;
    current_.Height = 128;
    buildMenus();
    buildTabControl();
    buildStatusBar();
    imagesTab_ = new ImagesTab(*this);
    stringsTab_ = new StringsTab(*this);
    soundsTab_ = new SoundsTab(*this);
    javaTab_ = new JavaTab(*this);
    s3Tab_ = new S3Tab(*this);
    animationTab_ = new AnimationTab(*this);
    phoneTab_ = new PhoneTab(*this);
    ws_.SearchStop = false;
    ws_.changes.setObserver([this] { showPendingCount(); });
    showPendingCount();

    // Fixed border: the client area (tabs and status bar) is 792 x 534 below the menu bar.
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    TabControlChange(TabImages);
}

void TMainF::buildTabControl() {
    auto* central = new QWidget(this);
    central->setObjectName("TabControlArea");
    tabBar_ = new QTabBar(central);
    tabBar_->setObjectName("TabControl");
    for (const char* caption : {"Images", "Strings", "Sounds && Music", "Java Games",
                                "s3 Converter", "Animation editor", "Phone File Manager"})
        tabBar_->addTab(caption);
    tabBar_->setGeometry(0, 0, ClientWidth, tabBar_->sizeHint().height());
    tabArea_ = new QWidget(central);
    tabArea_->setObjectName("TabPages");
    tabArea_->setGeometry(0, tabBar_->height(), ClientWidth,
                          ClientHeight - StatusBarHeight - tabBar_->height());
    setCentralWidget(central);
    connect(tabBar_, &QTabBar::currentChanged, this, &TMainF::TabControlChange);
}

void TMainF::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    bar->setFixedHeight(StatusBarHeight);
    bar->setSizeGripEnabled(false);
    for (size_t i = 0; i < panels_.size(); ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setFixedWidth(PanelWidths[i]);
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(panels_[i]);
    }
    panels_[0]->setText("Disconnected");
    // The progress bar lies over panels 1 and 2.
    PBStatus_ = new QProgressBar(bar);
    PBStatus_->setObjectName("PBStatus");
    PBStatus_->setTextVisible(false);
    PBStatus_->setGeometry(PanelWidths[0], 1, PanelWidths[1] + PanelWidths[2], StatusBarHeight - 2);
    PBStatus_->setValue(0);
    PBStatus_->hide();
    // Right of the five panels; a save's report covers the panels for a while, never this one.
    pendingPanel_ = new QLabel(bar);
    pendingPanel_->setObjectName("StatusPending");
    pendingPanel_->setFrameShape(QFrame::StyledPanel);
    pendingPanel_->setMinimumWidth(0);
    pendingPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addPermanentWidget(pendingPanel_, 1);
}

void TMainF::showPendingCount() {
    const size_t count = ws_.changes.total();
    pendingPanel_->setText(QString("Pending: %1").arg(count));
    pendingPanel_->setToolTip(ChangesText(count) + " pending (File > Pending changes...)");
}

void TMainF::showSaveReport(const SaveSummary& saved) {
    if (saved)
        statusBar()->showMessage(
            QString("Saved %1 (%2 bytes)").arg(ChangesText(saved.changes)).arg(saved.bytes),
            ReportMilliseconds);
}

void TMainF::lockForOperation(bool locked) {
    tabBar_->setEnabled(!locked);
    if (locked) {
        for (QAction* action : menuBar()->findChildren<QAction*>())
            if (action->isEnabled()) {
                action->setEnabled(false);
                lockedActions_.push_back(action);
            }
    } else {
        for (QAction* action : lockedActions_)
            action->setEnabled(true);
        lockedActions_.clear();
    }
}

void TMainF::addTabGroup(int tab, QGroupBox* box) {
    tabGroups_.at(static_cast<size_t>(tab)).push_back(box);
    box->setVisible(activeTab() == tab);
}

void TMainF::setTabEnter(int tab, std::function<void()> onEnter) {
    tabEnter_.at(static_cast<size_t>(tab)) = std::move(onEnter);
}

int TMainF::activeTab() const {
    return tabBar_ ? tabBar_->currentIndex() : TabImages;
}

void TMainF::TabControlChange(int index) {
    if (index < 0 || index >= static_cast<int>(tabGroups_.size()))
        return;
    if (busy_) {
        // Entering a tab rebuilds its tables, which a running operation may be walking.
        const QSignalBlocker quiet(tabBar_);
        tabBar_->setCurrentIndex(shownTab_);
        return;
    }
    shownTab_ = index;
    for (QGroupBox* box : tabArea_->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
        box->hide();
    if (imagesTab_)
        imagesTab_->clearViewerFields();
    if (fileManagerMenu_)
        fileManagerMenu_->menuAction()->setVisible(false);

    // The string search keeps its resume point while the picture table search moves SearchPos.
    if (index == TabImages || index == TabS3)
        SavedSearchPos = ws_.SearchPos;
    else if (index == TabStrings)
        ws_.SearchPos = SavedSearchPos;
    if (index == TabPhoneFiles && fileManagerMenu_)
        fileManagerMenu_->menuAction()->setVisible(true);

    for (QGroupBox* box : tabGroups_[static_cast<size_t>(index)])
        box->show();
    if (const auto& onEnter = tabEnter_[static_cast<size_t>(index)])
        onEnter();
}

void TMainF::OpenFirmware() {
    {
        Busy busy(*this);
        if (!busy)
            return;
        const auto path = dialogs().openFile("BIN file|*.bin");
        if (!path || !settlePendingChanges())
            return;
        // A file that cannot be opened for reading and writing is refused with a message and the
        // firmware open before stays as it was, with its pending changes.
        if (!ws_.OpenFirmware(*path, dialogs()))
            return;
        // A save of this firmware that was cut short left its undo file: offer the rollback
        // before anything reads the firmware.
        OfferRollback(ws_, dialogs());
        current_.Address = 1;
        setWindowTitle(QString(Caption) + " - " +
                       QString::fromStdString(std::filesystem::path(*path).filename().string()));
        emit firmwareOpened();
        if (activeTab() == TabImages)
            imagesTab_->DrawRaw16Dump();
    }
    if (dialogs().ask(msg::FindAllResources))
        MIFindAllResourcesClick();
}

bool TMainF::settlePendingChanges() {
    if (!ws_.FwIsOpen() || ws_.changes.total() == 0)
        return true;
    switch (dialogs().askYesNoCancel(msg::KeepChanges)) {
    case Dialogs::Answer::Yes: {
        const SaveSummary saved = SaveAllChanges(ws_, dialogs());
        showSaveReport(saved);
        return static_cast<bool>(saved);
    }
    case Dialogs::Answer::No:
        return true;
    case Dialogs::Answer::Cancel:
        break;
    }
    return false;
}

void TMainF::MISaveAllchangesClick() {
    Busy busy(*this);
    if (!busy || !ws_.FwIsOpen())
        return;
    showSaveReport(SaveAllChangesAsked(ws_, dialogs()));
}

void TMainF::MIPendingChangesClick() {
    Busy busy(*this);
    if (!busy)
        return;
    PendingChangesDialog dialog(*this);
    dialog.exec();
    // The patch table lists changes by their positions, which a removal moves.
    if (activeTab() == TabS3)
        s3Tab_->refillPatchTable();
}

void TMainF::showAbout() {
    about_->exec();
}

void TMainF::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainF::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // A long operation still runs inside this handler's event loop; closing now would pull
        // the firmware away from under it.
        event->ignore();
        return;
    }
    Busy busy(*this);
    ClosingSettings choices;
    choices.phoneModel = checkedItemName("MIPhoneType");
    choices.comPort = checkedItemName("MIPhonePort");
    choices.baudRate = checkedItemName("MIBaudRate");
    choices.timeOut = checkedItemName("MITimeOut");
    if (auto* autoRefresh = findChild<QAction*>("MIAutoRefresh"))
        choices.autoRefresh = autoRefresh->isChecked();
    settings_->SaveSettings(choices);
    phoneTab_->disconnectPhone();
    if (!CloseFirmware(ws_, dialogs())) {
        event->ignore();
        statusBar()->showMessage("Not closed: the changes were not saved and are still pending.",
                                 ReportMilliseconds);
        return;
    }
    event->accept();
}

} // namespace tovallo::ui
