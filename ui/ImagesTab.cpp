#include "ui/ImagesTab.h"

#include "ui/Grid.h"
#include "ui/GridTitles.h"
#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "ui/Surface.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace tovallo::ui {

ImagesTab::ImagesTab(TMainF& window) : QObject(&window), window_(window) {
    buildViewer();
    buildDiscovery();
    buildImageTable();
    buildContextMenus();
    connect(&window_, &TMainF::firmwareOpened, this, [this] {
        found_.clear();
        table_.clear();
        refreshFoundList();
        refreshImageTable();
    });
}

QGroupBox* ImagesTab::groupBox(const char* name, const char* caption, int x, int y, int w, int h) {
    auto* box = new QGroupBox(caption, window_.tabArea());
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    window_.addTabGroup(TabImages, box);
    return box;
}

void ImagesTab::buildViewer() {
    QGroupBox* dump = groupBox("GBFWDump", "Firmware Dump", 2, 0, 192, 346);
    Image_ = new Surface("Image", 178, 322, dump);
    Image_->setToolTip("This is Firmware dump");
    Image_->move(7, 18);

    QGroupBox* phone = groupBox("GBPhone", "Phone Display", 196, 0, 334, 264);
    PhoneIm_ = new Surface("PhoneIm", 322, 242, phone);
    PhoneIm_->setToolTip("This is phone image");
    PhoneIm_->move(6, 18);
    connect(PhoneIm_, &Surface::mouseMoved, this, &ImagesTab::phoneMouseMove);

    QGroupBox* move = groupBox("GBControl", "Image move", 2, 348, 192, 74);
    auto* moveLayout = new QGridLayout(move);
    moveLayout->setContentsMargins(6, 4, 6, 6);
    moveLayout->setSpacing(3);
    const std::array<std::tuple<const char*, const char*, void (ImagesTab::*)()>, 6> moves = {{
        {"BImagePrev", "Prev", &ImagesTab::BImagePrevClick},
        {"BImageUp", "Up", &ImagesTab::BImageUpClick},
        {"BImageNext", "Next", &ImagesTab::BImageNextClick},
        {"BImageLeft", "Left", &ImagesTab::BImageLeftClick},
        {"BImageDown", "Down", &ImagesTab::BImageDownClick},
        {"BImageRight", "Right", &ImagesTab::BImageRightClick},
    }};
    for (size_t i = 0; i < moves.size(); ++i) {
        auto [name, caption, handler] = moves[i];
        QPushButton* b = Named<QPushButton>(move, name, caption);
        moveLayout->addWidget(b, static_cast<int>(i / 3), static_cast<int>(i % 3));
        connect(b, &QPushButton::clicked, this, handler);
    }

    QGroupBox* sizes = groupBox("GBSizes", "Image size", 2, 424, 192, 64);
    auto* sizeLayout = new QGridLayout(sizes);
    sizeLayout->setContentsMargins(6, 2, 6, 4);
    sizeLayout->setVerticalSpacing(2);
    auto sizeRow = [&](int row, const char* label, const char* editName, const char* udName,
                       PictureSide side, QLineEdit*& edit, UpDown*& upDown) {
        // The edit and its up-down tell the sizes they take.
        const QString range = QString::fromStdString(PictureSideRangeText(side));
        sizeLayout->addWidget(new QLabel(label, sizes), row, 0);
        edit = new QLineEdit("128", sizes);
        edit->setObjectName(editName);
        edit->setMaxLength(4);
        edit->setFixedWidth(48);
        edit->setToolTip(range);
        edit->setPlaceholderText(range);
        sizeLayout->addWidget(edit, row, 1);
        upDown = new UpDown(udName, 1, MaxPictureSide(side), 128, sizes);
        upDown->setToolTip(range);
        sizeLayout->addWidget(upDown, row, 2);
        connect(edit, &QLineEdit::returnPressed, this,
                [this, edit, side] { sizeEditEntered(edit, side); });
    };
    sizeRow(0, "Width:", "Ewidth", "UDWidth", PictureSide::Width, Ewidth_, UDWidth_);
    sizeRow(1, "Height:", "Eheight", "UDHeight", PictureSide::Height, Eheight_, UDHeight_);
    connect(UDWidth_, &UpDown::changed, this, &ImagesTab::setWidth);
    connect(UDHeight_, &UpDown::changed, this, &ImagesTab::setHeight);

    QGroupBox* info = groupBox("GBImInfo", "Image information", 196, 266, 334, 82);
    auto* infoLayout = new QGridLayout(info);
    infoLayout->setContentsMargins(6, 0, 6, 2);
    infoLayout->setHorizontalSpacing(3);
    infoLayout->setVerticalSpacing(0);
    // Each label stands above its edit: two columns of two.
    auto infoEdit = [&](int row, int col, const char* label, const char* name, bool readOnly) {
        infoLayout->addWidget(new QLabel(label, info), row * 2, col);
        auto* edit = new QLineEdit(info);
        edit->setObjectName(name);
        edit->setReadOnly(readOnly);
        edit->setFixedHeight(18);
        infoLayout->addWidget(edit, row * 2 + 1, col);
        return edit;
    };
    EIndex_ = infoEdit(0, 0, "Image address:", "EIndex", false);
    EHex_ = infoEdit(0, 1, "Image address in Hex:", "EHex", false);
    Emove_ = infoEdit(1, 0, "Cursor position:", "Emove", true);
    Ecolor_ = infoEdit(1, 1, "RGB color:", "Ecolor", true);
    connect(EIndex_, &QLineEdit::returnPressed, this,
            [this] { addressEntered(AddressBase::Decimal); });
    connect(EHex_, &QLineEdit::returnPressed, this,
            [this] { addressEntered(AddressBase::Hexadecimal); });
}

void ImagesTab::buildDiscovery() {
    GBFImages_ = groupBox("GBFImages", "Find Firmware Image Table", 532, 0, 258, 348);
    auto* layout = new QGridLayout(GBFImages_);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->setVerticalSpacing(3);
    LEImage09Addr_ = new LabelledEdit("LEImage09Addr", "Start address (Hex):", GBFImages_);
    LEImage09Addr_->setText("0x0");
    layout->addWidget(LEImage09Addr_, 0, 0);
    QPushButton* find09 = Named<QPushButton>(GBFImages_, "BImageFind", "Find 09-images...");
    layout->addWidget(find09, 0, 1, Qt::AlignBottom);
    LETableAddr_ = new LabelledEdit("LETableAddr", "Image Table address:", GBFImages_);
    layout->addWidget(LETableAddr_, 1, 0);
    BImageTblFind_ = Named<QPushButton>(GBFImages_, "BImageTblFind", "Find Table");
    BImageTblStop_ = Named<QPushButton>(GBFImages_, "BImageTblStop", "Stop Search");
    BImageTblStop_->hide();
    layout->addWidget(BImageTblFind_, 1, 1, Qt::AlignBottom);
    layout->addWidget(BImageTblStop_, 1, 1, Qt::AlignBottom);
    QPushButton* read = Named<QPushButton>(GBFImages_, "BImgReadTbl", "Read Table");
    QPushButton* clear = Named<QPushButton>(GBFImages_, "BImgClearTbl", "Clear Table");
    layout->addWidget(read, 2, 0);
    layout->addWidget(clear, 2, 1);
    auto radio = [&](const char* name, const char* caption, int row, int col) {
        auto* rb = new QRadioButton(caption, GBFImages_);
        rb->setObjectName(name);
        layout->addWidget(rb, row, col);
        // The picture on view is drawn again by the new choice at once.
        connect(rb, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                typeChoiceChanged();
        });
        return rb;
    };
    RBAuto_ = radio("RBAuto", "Auto Type", 3, 0);
    RB09_ = radio("RB09", "09 image", 3, 1);
    RBRaw_ = radio("RBRaw", "RAW-16", 4, 0);
    RBWbmp_ = radio("RBWbmp", "WBMP", 4, 1);
    RBAuto_->setChecked(true);
    Images09_ = new Grid("Images09", GridTitles(Images09Titles, 2), GBFImages_);
    Images09_->setToolTip("This is Finded Images");
    Images09_->setColumnWidth(0, 110);
    Images09_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(Images09_, 5, 0, 1, 2);
    layout->setRowStretch(5, 1);
    Bar09_ = new QProgressBar(GBFImages_);
    Bar09_->setObjectName("Bar09");
    Bar09_->setTextVisible(false);
    Bar09_->setFixedHeight(12);
    Bar09_->setValue(0);
    layout->addWidget(Bar09_, 6, 0, 1, 2);

    connect(find09, &QPushButton::clicked, this, &ImagesTab::BImageFindClick);
    connect(BImageTblFind_, &QPushButton::clicked, this, &ImagesTab::BImageTblFindClick);
    connect(BImageTblStop_, &QPushButton::clicked, this, &ImagesTab::BImageTblStopClick);
    connect(read, &QPushButton::clicked, this, &ImagesTab::BImgReadTblClick);
    connect(clear, &QPushButton::clicked, this, &ImagesTab::BImgClearTblClick);
    connect(Images09_, &Grid::rowClicked, this, &ImagesTab::Images09Select);
    connect(Images09_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row != previous)
                    Images09Select(row);
            });
}

void ImagesTab::buildImageTable() {
    GBTables_ = groupBox("GBTables", "Image table", 196, 350, 594, 138);
    auto* layout = new QGridLayout(GBTables_);
    layout->setContentsMargins(4, 2, 4, 6);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(3);
    Images_ = new Grid("Images", GridTitles(ImagesTitles, 6), GBTables_);
    Images_->setToolTip("Table of images");
    // The type column takes what the others leave, so no column hides behind a scroll bar.
    // (A stretched last column never gets narrower than its width before stretching.)
    const std::array<int, 6> widths = {106, 80, 44, 78, 32, 40};
    for (size_t c = 0; c < widths.size(); ++c)
        Images_->setColumnWidth(static_cast<int>(c), widths[c]);
    Images_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(Images_, 0, 0, 4, 1);
    layout->setColumnStretch(0, 1);
    LEImageTblName_ = new LabelledEdit("LEImageTblName", "Image name: ", GBTables_);
    layout->addWidget(LEImageTblName_, 0, 1, 1, 2);
    const std::array<std::tuple<const char*, const char*, void (ImagesTab::*)(), int, int>, 4>
        buttons = {{
            {"BImageAdd", "Add image", &ImagesTab::BImageAddClick, 1, 1},
            {"BImageDel", "Delete image", &ImagesTab::BImageDelClick, 1, 2},
            {"BImageSaveTab", "Save table", &ImagesTab::BImageSaveTabClick, 2, 1},
            {"BImageOpenTab", "Open table", &ImagesTab::BImageOpenTabClick, 2, 2},
        }};
    for (auto [name, caption, handler, row, col] : buttons) {
        QPushButton* b = Named<QPushButton>(GBTables_, name, caption);
        layout->addWidget(b, row, col);
        connect(b, &QPushButton::clicked, this, handler);
    }
    layout->setRowStretch(3, 1);

    EImages_ = new QLineEdit(GBTables_);
    EImages_->setObjectName("EImages");
    EImages_->setMaxLength(64);
    EImages_->hide();
    connect(EImages_, &QLineEdit::editingFinished, this, &ImagesTab::EImagesDone);

    connect(Images_, &Grid::rowClicked, this, &ImagesTab::ImagesClick);
    connect(Images_, &Grid::rowDoubleClicked, this, &ImagesTab::ImagesDblClick);

    FindImage_ = new QMenu(Images_);
    FindImage_->setObjectName("FindImage");
    auto item = [this](QMenu* menu, const char* name, const char* caption,
                       void (ImagesTab::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    item(FindImage_, "MIImageDeleteSelected", "Delete Selected", &ImagesTab::BImageDelClick);
    item(FindImage_, "MIImageDelete", "Delete All", &ImagesTab::MIImageDeleteClick);
    QMenu* sort = FindImage_->addMenu("Sort Table");
    sort->setObjectName("MIImageSortTbl");
    item(sort, "MIImageSortName", "by Name", &ImagesTab::MIImageSortNameClick);
    item(sort, "MIImageSortAddress", "by Address", &ImagesTab::MIImageSortAddressClick);
    item(sort, "MIImageSortType", "by Type", &ImagesTab::MIImageSortTypeClick);
    item(FindImage_, "MIImageImportSearched", "Import Searched images",
         &ImagesTab::MIImageImportSearchedClick);
    item(FindImage_, "MIImageImportExport", "Import/Export", &ImagesTab::MIImageImportExportClick);
    item(FindImage_, "MIImageChangeAddr", "Change Address", &ImagesTab::MIImageChangeAddrClick);
    Images_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Images_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FindImage_->popup(Images_->viewport()->mapToGlobal(at)); });
}

void ImagesTab::buildContextMenus() {
    auto menu = [](QWidget* owner, const char* name) {
        auto* m = new QMenu(owner);
        m->setObjectName(name);
        owner->setContextMenuPolicy(Qt::CustomContextMenu);
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const char* caption,
                       const std::function<void()>& handler) {
        QAction* action = m->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    FoundImageMenu_ = menu(Images09_, "FoundImageMenu");
    item(FoundImageMenu_, "MIFoundExport", "Export Image...",
         [this] { exportFoundPicture(contextRow_); });
    item(FoundImageMenu_, "MIFoundReplace", "Replace Image...",
         [this] { replaceFoundPicture(contextRow_); });
    connect(Images09_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        contextRow_ = Images09_->rowAt(at.y());
        if (contextRow_ >= 0 && contextRow_ < static_cast<int>(found_.size()))
            FoundImageMenu_->popup(Images09_->viewport()->mapToGlobal(at));
    });

    PhoneImageMenu_ = menu(PhoneIm_, "PhoneImageMenu");
    item(PhoneImageMenu_, "MIPhoneExport", "Export Image...", [this] { exportShownPicture(); });
    item(PhoneImageMenu_, "MIPhoneReplace", "Replace Image...", [this] { replaceShownPicture(); });
    connect(PhoneIm_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (window_.workspace().FwIsOpen())
            PhoneImageMenu_->popup(PhoneIm_->mapToGlobal(at));
    });
}

TypeChoice ImagesTab::typeChoice() const {
    if (RB09_->isChecked())
        return TypeChoice::Image09;
    if (RBRaw_->isChecked())
        return TypeChoice::Raw16;
    if (RBWbmp_->isChecked())
        return TypeChoice::Wbmp;
    return TypeChoice::Auto;
}

} // namespace tovallo::ui
