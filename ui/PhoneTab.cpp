#include "ui/PhoneTab.h"

#include "phone/PhoneSession.h"
#include "ui/FileBrowser.h"
#include "ui/MainWindow.h"
#include "ui/QtProgress.h"
#include "ui/SmallWidgets.h"
#include "ui/SoundsTab.h"
#include "ui/TextCodec.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <tuple>

namespace tovallo::ui {

namespace {

// The window's dialogs as they are at each call: tests put their scripted dialogs in after the
// phone session was made.
class WindowDialogs : public Dialogs {
  public:
    explicit WindowDialogs(TMainF& window) : window_(window) {}

    void inform(int m, const std::string& a) override { window_.dialogs().inform(m, a); }
    void warn(int m, const std::string& a) override { window_.dialogs().warn(m, a); }
    void error(int m, const std::string& a) override { window_.dialogs().error(m, a); }
    bool ask(int m, const std::string& a) override { return window_.dialogs().ask(m, a); }
    bool askText(const std::string& t) override { return window_.dialogs().askText(t); }
    Answer askYesNoCancel(int m, const std::string& a) override {
        return window_.dialogs().askYesNoCancel(m, a);
    }
    void errorText(const std::string& text) override { window_.dialogs().errorText(text); }
    void informText(const std::string& text) override { window_.dialogs().informText(text); }
    std::optional<std::string> openFile(const std::string& filter) override {
        return window_.dialogs().openFile(filter);
    }
    std::optional<std::string> saveFile(const std::string& filter,
                                        const std::string& suggestedName) override {
        return window_.dialogs().saveFile(filter, suggestedName);
    }

  private:
    TMainF& window_;
};

// GBPhoneFiles is disabled while a phone operation runs, so no second exchange starts from it.
class GroupDisabled {
  public:
    explicit GroupDisabled(QGroupBox* box) : box_(box) { box_->setEnabled(false); }
    ~GroupDisabled() { box_->setEnabled(true); }
    GroupDisabled(const GroupDisabled&) = delete;
    GroupDisabled& operator=(const GroupDisabled&) = delete;

  private:
    QGroupBox* box_;
};

constexpr int FolderRole = Qt::UserRole;
constexpr std::array<int, 3> ColumnWidths = {120, 58, 42};

} // namespace

PhoneTab::PhoneTab(TMainF& window)
    : QObject(&window), window_(window), dialogs_(std::make_unique<WindowDialogs>(window)) {
    buildBrowser();
    progress_ = std::make_unique<QtProgress>(PBPhone_);
    session_ = std::make_unique<PhoneSession>(*dialogs_, *progress_, window_.workspace().messages,
                                              window_.configDir());
    session_->link().panels().onChange = [this](int panel, const std::string& text) {
        window_.statusPanel(panel)->setText(FromWin(text));
    };

    FileBrowser& browser = window_.soundsTab().fileBrowser();
    window_.addTabGroup(TabPhoneFiles, GBPhoneFiles_);
    window_.addTabGroup(TabPhoneFiles, &browser);
    // Here the browser chooses the files to send, any number of them.
    window_.setTabEnter(TabPhoneFiles, [this, &browser] {
        browser.setMultiSelection(true);
        MIConnectClick();
    });
    connect(window_.findChild<QAction*>("MIConnect"), &QAction::triggered, this,
            &PhoneTab::MIConnectClick);
    connect(window_.findChild<QAction*>("MIDisconnect"), &QAction::triggered, this,
            &PhoneTab::MIDisconnectClick);
}

PhoneTab::~PhoneTab() = default;

void PhoneTab::buildBrowser() {
    GBPhoneFiles_ = new QGroupBox("Phone Browser", window_.tabArea());
    GBPhoneFiles_->setObjectName("GBPhoneFiles");
    GBPhoneFiles_->setGeometry(2, 0, 470, 488);
    QGroupBox* box = GBPhoneFiles_;
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->setSpacing(3);

    TVPhone_ = new QTreeWidget(box);
    TVPhone_->setObjectName("TVPhone");
    TVPhone_->setHeaderHidden(true);
    TVPhone_->setColumnCount(1);
    TVPhone_->setSortingEnabled(true);
    TVPhone_->sortByColumn(0, Qt::AscendingOrder);
    TVPhone_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* root = new QTreeWidgetItem(TVPhone_, {"My phone"});
    for (auto [caption, folder] : {std::pair{"Pictures", PhoneFolder::Pictures},
                                   std::pair{"Sounds/Music", PhoneFolder::Sounds}})
        (new QTreeWidgetItem(root, {caption}))->setData(0, FolderRole, static_cast<int>(folder));
    root->setExpanded(true);
    layout->addWidget(TVPhone_, 0, 0);
    connect(TVPhone_, &QTreeWidget::currentItemChanged, this, &PhoneTab::TVPhoneChange);

    buildFileList(box);
    layout->addWidget(LVPhone_, 0, 1, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(0, 1);

    auto button = [&](const char* name, const char* caption, void (PhoneTab::*handler)()) {
        QPushButton* b = Named<QPushButton>(box, name, caption);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    layout->addWidget(button("BPhoneUpdate", "Refresh File List", &PhoneTab::BPhoneUpdateClick), 1,
                      0);
    STFileSize_ = Named<QLabel>(box, "STFileSize", QString());
    STFileIndex_ = Named<QLabel>(box, "STFileIndex", QString());
    layout->addWidget(STFileSize_, 1, 1);
    layout->addWidget(STFileIndex_, 1, 2);

    auto* blockSize = new QWidget(box);
    auto* blockRow = new QHBoxLayout(blockSize);
    blockRow->setContentsMargins(0, 0, 0, 0);
    QLabel* blockLabel = Named<QLabel>(blockSize, "LFileBlockSize", "Block Size: ");
    CBFileBlockSize_ = new QComboBox(blockSize);
    CBFileBlockSize_->setObjectName("CBFileBlockSize");
    CBFileBlockSize_->addItem("Auto");
    for (uint32_t size : PhoneBlockSizes)
        CBFileBlockSize_->addItem(QString::number(size));
    blockLabel->setBuddy(CBFileBlockSize_);
    blockRow->addWidget(blockLabel);
    blockRow->addWidget(CBFileBlockSize_, 1);
    layout->addWidget(blockSize, 2, 0);
    layout->addWidget(button("BLoadToPhone", "<-- Download To Phone", &PhoneTab::BLoadToPhoneClick),
                      2, 1);
    layout->addWidget(
        button("BDeletePhone", "Delete Selected File(s)", &PhoneTab::BDeletePhoneClick), 2, 2);

    PBPhone_ = new QProgressBar(box);
    PBPhone_->setObjectName("PBPhone");
    PBPhone_->setTextVisible(false);
    PBPhone_->setFixedHeight(12);
    PBPhone_->setValue(0);
    layout->addWidget(PBPhone_, 3, 0, 1, 3);
}

// LVPhone: one model shown as a report (Name, Size, Index) or as icons and a list, sharing one
// selection so that a change of style keeps the chosen files.
void PhoneTab::buildFileList(QGroupBox* box) {
    files_ = new QStandardItemModel(0, 3, this);
    files_->setHorizontalHeaderLabels({"Name", "Size", "Index"});
    LVPhone_ = new QStackedWidget(box);
    LVPhone_->setObjectName("LVPhone");
    iconView_ = new QListView(LVPhone_);
    iconView_->setModel(files_);
    iconView_->setResizeMode(QListView::Adjust);
    tableView_ = new QTreeView(LVPhone_);
    tableView_->setModel(files_);
    tableView_->setSelectionModel(iconView_->selectionModel());
    tableView_->setRootIsDecorated(false);
    tableView_->setItemsExpandable(false);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (size_t c = 0; c < ColumnWidths.size(); ++c)
        tableView_->header()->resizeSection(static_cast<int>(c), ColumnWidths[c]);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(tableView_)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            PMPhoneBrowser_->popup(view->viewport()->mapToGlobal(at));
        });
    }
    LVPhone_->addWidget(iconView_);
    LVPhone_->addWidget(tableView_);
    connect(iconView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &PhoneTab::showSelectedFile);

    PMPhoneBrowser_ = new QMenu(box);
    PMPhoneBrowser_->setObjectName("PMPhoneBrowser");
    AddViewStyleItems(*PMPhoneBrowser_, "MIPhone",
                      [this](ListViewStyle style) { setViewStyle(style); });
    PMPhoneBrowser_->addSeparator();
    QAction* remove = PMPhoneBrowser_->addAction("Delete File(s)");
    remove->setObjectName("MIPhoneDelete");
    connect(remove, &QAction::triggered, this, &PhoneTab::BDeletePhoneClick);
    setViewStyle(style_);
}

void PhoneTab::setViewStyle(ListViewStyle style) {
    style_ = style;
    ShowViewStyle(*LVPhone_, *iconView_, *tableView_, style);
}

QAbstractItemView* PhoneTab::phoneFileView() const {
    return style_ == ListViewStyle::Table ? static_cast<QAbstractItemView*>(tableView_) : iconView_;
}

bool PhoneTab::hasChosenNode() const {
    return TVPhone_->currentItem() != nullptr;
}

std::optional<PhoneFolder> PhoneTab::chosenFolder() const {
    const QTreeWidgetItem* node = TVPhone_->currentItem();
    if (!node)
        return std::nullopt;
    const QVariant folder = node->data(0, FolderRole);
    if (!folder.isValid())
        return std::nullopt;
    return static_cast<PhoneFolder>(folder.toInt());
}

void PhoneTab::applyChoices() {
    session_->link().setTimeOut(std::chrono::milliseconds(window_.PhoneTimeOut));
    const auto* autoRefresh = window_.findChild<QAction*>("MIAutoRefresh");
    session_->files().setAutoRefresh(autoRefresh && autoRefresh->isChecked());
}

void PhoneTab::MIConnectClick() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    const GroupDisabled running(GBPhoneFiles_);
    session_->Connect(PhoneLinkSettings{window_.PhonePort, window_.PhoneBaud,
                                        std::chrono::milliseconds(window_.PhoneTimeOut)});
}

void PhoneTab::MIDisconnectClick() {
    TMainF::Busy busy(window_);
    if (busy)
        disconnectPhone();
}

void PhoneTab::disconnectPhone() {
    const GroupDisabled running(GBPhoneFiles_);
    session_->Disconnect();
}

void PhoneTab::TVPhoneChange() {
    TMainF::Busy busy(window_);
    if (!busy || !session_->link().PhoneConnected() || !hasChosenNode())
        return;
    if (const auto folder = chosenFolder())
        listFolder(*folder, false);
    else
        showFiles(std::nullopt);
}

void PhoneTab::BPhoneUpdateClick() {
    TMainF::Busy busy(window_);
    if (!busy || !session_->link().PhoneConnected() || !hasChosenNode())
        return;
    if (const auto folder = chosenFolder())
        listFolder(*folder, true);
    else
        showFiles(std::nullopt);
}

void PhoneTab::listFolder(PhoneFolder folder, bool refresh) {
    applyChoices();
    {
        const GroupDisabled running(GBPhoneFiles_);
        showFiles(std::nullopt);
        PhoneFileManager& manager = session_->files();
        if (refresh)
            manager.Refresh(folder);
        else
            manager.List(folder);
    }
    showFiles(folder);
}

void PhoneTab::showFiles(std::optional<PhoneFolder> folder) {
    files_->removeRows(0, files_->rowCount());
    STFileSize_->clear();
    STFileIndex_->clear();
    shown_.clear();
    if (!folder)
        return;
    shown_ = session_->files().files(*folder);
    const QIcon icon = window_.style()->standardIcon(
        *folder == PhoneFolder::Pictures ? QStyle::SP_FileIcon : QStyle::SP_MediaVolume);
    for (const PhoneFile& file : shown_) {
        QList<QStandardItem*> row{new QStandardItem(icon, FromWin(file.shownName())),
                                  new QStandardItem(QString::number(file.Size)),
                                  new QStandardItem(QString::number(file.Index))};
        row[0]->setData(static_cast<int>(*folder), FolderRole);
        files_->appendRow(row);
    }
}

void PhoneTab::showSelectedFile() {
    const QModelIndex current = iconView_->selectionModel()->currentIndex();
    if (!current.isValid() || static_cast<size_t>(current.row()) >= shown_.size())
        return;
    const PhoneFile& file = shown_[static_cast<size_t>(current.row())];
    STFileSize_->setText(FromWin(session_->files().SizeText(file)));
    STFileIndex_->setText(FromWin(session_->files().IndexText(file)));
}

std::vector<PhoneFile> PhoneTab::selectedPhoneFiles() const {
    const auto folder = chosenFolder();
    std::vector<int> rows;
    for (const QModelIndex& index : iconView_->selectionModel()->selectedIndexes())
        // Rows listed for the node chosen now only: the node may have changed while disconnected.
        if (index.column() == 0 && folder &&
            files_->item(index.row())->data(FolderRole).toInt() == static_cast<int>(*folder))
            rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<PhoneFile> chosen;
    for (int row : rows)
        chosen.push_back(shown_.at(static_cast<size_t>(row)));
    return chosen;
}

void PhoneTab::BLoadToPhoneClick() {
    TMainF::Busy busy(window_);
    const auto folder = chosenFolder();
    if (!busy || !session_->link().PhoneConnected() || !folder)
        return;
    const std::vector<std::string> paths = window_.soundsTab().fileBrowser().selectedFiles();
    if (paths.empty())
        return;
    applyChoices();
    const int choice = CBFileBlockSize_->currentIndex();
    const std::optional<uint32_t> blockSize =
        choice > 0 ? std::optional(PhoneBlockSizes.at(static_cast<size_t>(choice - 1)))
                   : std::nullopt;
    SendResult result;
    {
        const GroupDisabled running(GBPhoneFiles_);
        result = session_->files().Send(*folder, paths, blockSize);
    }
    if (result.completed && session_->files().autoRefresh())
        showFiles(folder);
}

void PhoneTab::BDeletePhoneClick() {
    TMainF::Busy busy(window_);
    const auto folder = chosenFolder();
    if (!busy || !session_->link().PhoneConnected() || !folder)
        return;
    const std::vector<PhoneFile> chosen = selectedPhoneFiles();
    if (chosen.empty())
        return;
    applyChoices();
    DeleteResult result;
    {
        const GroupDisabled running(GBPhoneFiles_);
        result = session_->files().Delete(*folder, chosen);
    }
    if (result.completed && session_->files().autoRefresh())
        showFiles(folder);
}

} // namespace tovallo::ui
