#include "ui/FileBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace tovallo::ui {

FileBrowser::FileBrowser(QWidget* parent)
    : QGroupBox("File Browser", parent), folders_(new QFileSystemModel(this)),
      files_(new QFileSystemModel(this)), SSndFileTree_(new QTreeView(this)),
      SSndFileList_(new QStackedWidget(this)), iconView_(new QListView(SSndFileList_)),
      tableView_(new QTreeView(SSndFileList_)) {
    setObjectName("GBSoundFiles");
    const QString home = QDir::homePath();
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setRootPath(home);
    SSndFileTree_->setObjectName("SSndFileTree");
    SSndFileTree_->setModel(folders_);
    SSndFileTree_->setRootIndex(folders_->index(home));
    SSndFileTree_->setHeaderHidden(true);
    for (int c = 1; c < folders_->columnCount(); ++c)
        SSndFileTree_->hideColumn(c);

    files_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    SSndFileList_->setObjectName("SSndFileList");
    iconView_->setModel(files_);
    iconView_->setResizeMode(QListView::Adjust);
    tableView_->setModel(files_);
    // Both views show one selection, so a change of style keeps the chosen files.
    tableView_->setSelectionModel(iconView_->selectionModel());
    tableView_->setRootIsDecorated(false);
    tableView_->setItemsExpandable(false);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->header()->resizeSection(0, 150);
    SSndFileList_->addWidget(iconView_);
    SSndFileList_->addWidget(tableView_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(SSndFileTree_, 2);
    layout->addWidget(SSndFileList_, 3);

    connect(SSndFileTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    showFolder(folders_->filePath(current));
            });
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(iconView_), static_cast<QAbstractItemView*>(tableView_)})
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
            if (files_->isDir(index))
                showFolder(files_->filePath(index));
        });
    buildPopup();
    setMultiSelection(true);
    setViewStyle(style_);
    showFolder(home);
}

void FileBrowser::buildPopup() {
    PMBrowser_ = new QMenu(this);
    PMBrowser_->setObjectName("PMBrowser");
    AddViewStyleItems(*PMBrowser_, "MIBrowser",
                      [this](ListViewStyle style) { setViewStyle(style); });
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(tableView_)}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            PMBrowser_->popup(view->viewport()->mapToGlobal(at));
        });
    }
}

void FileBrowser::showFolder(const QString& folder) {
    const QString path = QDir::cleanPath(folder);
    if (path == files_->rootPath())
        return;
    const QModelIndex root = files_->setRootPath(path);
    iconView_->selectionModel()->clear();
    iconView_->setRootIndex(root);
    tableView_->setRootIndex(root);
    if (!path.startsWith(folders_->rootPath() + '/'))
        return;
    const QModelIndex inTree = folders_->index(path);
    if (inTree.isValid() && SSndFileTree_->currentIndex() != inTree)
        SSndFileTree_->setCurrentIndex(inTree);
}

QString FileBrowser::folder() const {
    return files_->rootPath();
}

void FileBrowser::setMultiSelection(bool multi) {
    const auto mode =
        multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    if (iconView_->selectionMode() == mode)
        return;
    if (!multi)
        iconView_->selectionModel()->clearSelection();
    iconView_->setSelectionMode(mode);
    tableView_->setSelectionMode(mode);
}

void FileBrowser::setViewStyle(ListViewStyle style) {
    style_ = style;
    ShowViewStyle(*SSndFileList_, *iconView_, *tableView_, style);
}

QAbstractItemView* FileBrowser::fileView() const {
    return style_ == ListViewStyle::Table ? static_cast<QAbstractItemView*>(tableView_) : iconView_;
}

std::vector<std::string> FileBrowser::selectedFiles() const {
    QModelIndexList chosen;
    for (const QModelIndex& index : iconView_->selectionModel()->selectedIndexes())
        if (index.column() == 0 && !files_->isDir(index))
            chosen << index;
    std::sort(chosen.begin(), chosen.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::string> paths;
    for (const QModelIndex& index : chosen)
        paths.push_back(QFile::encodeName(files_->filePath(index)).toStdString());
    return paths;
}

} // namespace tovallo::ui
