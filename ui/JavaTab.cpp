#include "ui/JavaTab.h"

#include "media/JadFile.h"
#include "media/JavaEdits.h"
#include "ui/Grid.h"
#include "ui/MainWindow.h"
#include "ui/QtProgress.h"
#include "ui/SmallWidgets.h"
#include "ui/TextCodec.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <array>

namespace tovallo::ui {

namespace {

// While the search runs, Stop is shown and the buttons that would use the list are disabled.
class SearchRunning {
  public:
    SearchRunning(QPushButton* stop, std::array<QPushButton*, 3> locked)
        : stop_(stop), locked_(locked) {
        stop_->show();
        for (QPushButton* b : locked_)
            b->setEnabled(false);
    }
    ~SearchRunning() {
        for (QPushButton* b : locked_)
            b->setEnabled(true);
        stop_->hide();
    }
    SearchRunning(const SearchRunning&) = delete;
    SearchRunning& operator=(const SearchRunning&) = delete;

  private:
    QPushButton* stop_;
    std::array<QPushButton*, 3> locked_;
};

} // namespace

JavaTab::JavaTab(TMainF& window) : QObject(&window), window_(window) {
    auto* box = new QGroupBox("Java Games Search", window_.tabArea());
    box->setObjectName("GBJavaSearch");
    box->setGeometry(2, 0, 788, 488);
    window_.addTabGroup(TabJava, box);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->setSpacing(3);

    using Handler = void (JavaTab::*)();
    auto button = [&](const char* name, const char* caption, Handler handler, int column) {
        QPushButton* b = Named<QPushButton>(box, name, caption);
        layout->addWidget(b, 0, column);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    BJavaFind_ = button("BJavaFind", "Find Java Games", &JavaTab::BJavaFindClick, 0);
    BJavaStop_ = button("BJavaStop", "Stop Search", &JavaTab::BJavaStopClick, 1);
    BJavaStop_->hide();
    BJavaReplace_ = button("BJavaReplace", "Replace selected File", &JavaTab::BJavaReplaceClick, 2);
    BJavaExport_ = button("BJavaExport", "Export selected File", &JavaTab::BJavaExportClick, 3);
    button("BJavaCreateJad", "Create/Correct JAD file", &JavaTab::BJavaCreateJadClick, 4);

    PBJava_ = new QProgressBar(box);
    PBJava_->setObjectName("PBJava");
    PBJava_->setTextVisible(false);
    PBJava_->setFixedHeight(12);
    PBJava_->setValue(0);
    layout->addWidget(PBJava_, 1, 0, 1, 5);
    SGJava_ = new Grid("SGJava", {"Name", "Address", "Size"}, box);
    SGJava_->setSelectionMode(QAbstractItemView::SingleSelection);
    SGJava_->setColumnWidth(0, 420);
    SGJava_->setColumnWidth(1, 120);
    SGJava_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(SGJava_, 2, 0, 1, 5);
    layout->setRowStretch(2, 1);

    connect(&window_, &TMainF::firmwareOpened, this, [this] { showJavaList({}); });
    connect(&window_, &TMainF::modelSelected, this, [this] { showJavaList({}); });
}

void JavaTab::showJavaList(JavaList list) {
    list_ = std::move(list);
    showRows();
}

void JavaTab::showRows() {
    SGJava_->ClearGrid();
    SGJava_->setRowCount(std::max<int>(1, static_cast<int>(list_.size())));
    for (size_t r = 0; r < list_.size(); ++r) {
        const auto cells = JavaCells(list_.rows[r]);
        for (size_t c = 0; c < cells.size(); ++c)
            SGJava_->setText(static_cast<int>(r), static_cast<int>(c), FromWin(cells[c]));
    }
}

std::optional<size_t> JavaTab::selectedFile() const {
    const int row = SGJava_->selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= list_.size())
        return std::nullopt;
    return static_cast<size_t>(row);
}

void JavaTab::BJavaFindClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    {
        SearchRunning running(BJavaStop_, {BJavaFind_, BJavaReplace_, BJavaExport_});
        showJavaList({});
        ws.SearchStop = false;
        QtProgress bar(PBJava_);
        FindJavaGames(ws, list_, bar, window_.dialogs());
    }
    showRows();
}

void JavaTab::BJavaStopClick() {
    window_.workspace().SearchStop = true;
}

void JavaTab::BJavaReplaceClick() {
    TMainF::Busy busy(window_);
    const auto row = selectedFile();
    if (!busy || !row || !window_.workspace().FwIsOpen())
        return;
    if (const auto file = window_.dialogs().openFile(JavaFileFilter(list_.rows[*row])))
        ReplaceJava(window_.workspace(), list_, *row, *file, window_.dialogs());
}

void JavaTab::BJavaExportClick() {
    TMainF::Busy busy(window_);
    const auto row = selectedFile();
    if (!busy || !row || !window_.workspace().FwIsOpen())
        return;
    if (const auto path = window_.dialogs().saveFile(JavaFileFilter(list_.rows[*row])))
        ExportJava(window_.workspace(), list_, *row, *path, window_.dialogs());
}

void JavaTab::BJavaCreateJadClick() {
    // Works on files only: no firmware is needed.
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    const auto jar = window_.dialogs().openFile(JarFileFilter);
    if (!jar)
        return;
    if (const auto jad = CreateJadFile(window_.workspace(), *jar, window_.dialogs()))
        window_.statusBar()->showMessage(QString::fromLocal8Bit(*jad) + " written", 15000);
}

} // namespace tovallo::ui
