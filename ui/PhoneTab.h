#pragma once

#include "ui/ListViewStyle.h"

#include "phone/PhoneFiles.h"

#include <QObject>
#include <memory>
#include <optional>
#include <vector>

class QAbstractItemView;
class QComboBox;
class QGroupBox;
class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QStackedWidget;
class QStandardItemModel;
class QTreeView;
class QTreeWidget;

namespace tovallo {
class Dialogs;
class PhoneSession;
} // namespace tovallo

namespace tovallo::ui {

class QtProgress;
class TMainF;

// The "Phone File Manager" tab: the phone's pictures and sounds (TVPhone, LVPhone) beside the
// computer's files (the shared File Browser), with sending, deleting and the phone's identity
// and memory in the status bar. Entering the tab connects; closing the window disconnects.
class PhoneTab : public QObject {
    Q_OBJECT
  public:
    explicit PhoneTab(TMainF& window);
    ~PhoneTab() override;

    PhoneSession& session() const { return *session_; }
    // The files LVPhone shows: Name, Size, Index.
    QStandardItemModel& phoneFileModel() const { return *files_; }
    // The view of LVPhone that the current style shows.
    QAbstractItemView* phoneFileView() const;
    QTreeWidget& phoneTree() const { return *TVPhone_; }
    void setViewStyle(ListViewStyle style);

    // Disconnects without asking for the window (the close steps hold it already).
    void disconnectPhone();

  public slots:
    void MIConnectClick();
    void MIDisconnectClick();
    void TVPhoneChange();
    void BPhoneUpdateClick();
    void BLoadToPhoneClick();
    void BDeletePhoneClick();

  private:
    void buildBrowser();
    void buildFileList(QGroupBox* box);
    // The folder of TVPhone's chosen node; nothing for the root or no node.
    std::optional<PhoneFolder> chosenFolder() const;
    bool hasChosenNode() const;
    // Lists `folder` (from the cache unless `refresh`) and shows it.
    void listFolder(PhoneFolder folder, bool refresh);
    void showFiles(std::optional<PhoneFolder> folder);
    void showSelectedFile();
    std::vector<PhoneFile> selectedPhoneFiles() const;
    // The file manager's settings of the moment: reply time-out and auto refresh.
    void applyChoices();

    TMainF& window_;
    std::unique_ptr<Dialogs> dialogs_;
    std::unique_ptr<QtProgress> progress_;
    std::unique_ptr<PhoneSession> session_;
    // The files LVPhone shows, row by row.
    std::vector<PhoneFile> shown_;

    QGroupBox* GBPhoneFiles_ = nullptr;
    QTreeWidget* TVPhone_ = nullptr;
    QStackedWidget* LVPhone_ = nullptr;
    QStandardItemModel* files_ = nullptr;
    QListView* iconView_ = nullptr;
    QTreeView* tableView_ = nullptr;
    QMenu* PMPhoneBrowser_ = nullptr;
    QLabel* STFileSize_ = nullptr;
    QLabel* STFileIndex_ = nullptr;
    QComboBox* CBFileBlockSize_ = nullptr;
    QProgressBar* PBPhone_ = nullptr;
    ListViewStyle style_ = ListViewStyle::Table;
};

} // namespace tovallo::ui
