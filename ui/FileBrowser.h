#pragma once

#include "ui/ListViewStyle.h"

#include <QGroupBox>
#include <string>
#include <vector>

class QAbstractItemView;
class QFileSystemModel;
class QListView;
class QMenu;
class QStackedWidget;
class QTreeView;

namespace tovallo::ui {

// "File Browser": the computer's folders under the home folder (SSndFileTree) and the files of
// the chosen folder (SSndFileList, popup PMBrowser with its four view styles). The sounds tab
// and the phone tab share it, each with its own selection mode.
class FileBrowser : public QGroupBox {
    Q_OBJECT
  public:
    explicit FileBrowser(QWidget* parent);

    // Lists the files of `folder`; a folder under the home folder is chosen in the tree too.
    void showFolder(const QString& folder);
    QString folder() const;

    // Several files selectable, or one.
    void setMultiSelection(bool multi);
    void setViewStyle(ListViewStyle style);
    ListViewStyle viewStyle() const { return style_; }

    // The local paths of the selected files in list order; folders are left out.
    std::vector<std::string> selectedFiles() const;

    QFileSystemModel& fileModel() const { return *files_; }
    // The view of the file list that the current style shows.
    QAbstractItemView* fileView() const;

  private:
    void buildPopup();

    QFileSystemModel* folders_;
    QFileSystemModel* files_;
    QTreeView* SSndFileTree_;
    QStackedWidget* SSndFileList_;
    QListView* iconView_;
    QTreeView* tableView_;
    QMenu* PMBrowser_ = nullptr;
    ListViewStyle style_ = ListViewStyle::Table;
};

} // namespace tovallo::ui
