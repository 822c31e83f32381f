#include "ui/S3Tab.h"

#include "srecord/ConversionForms.h"
#include "srecord/PatchWriter.h"
#include "ui/Grid.h"
#include "ui/GridTitles.h"
#include "ui/MainWindow.h"
#include "ui/PatchViewer.h"
#include "ui/QtProgress.h"
#include "ui/SmallWidgets.h"
#include "ui/TextCodec.h"
#include "ui/UExclude.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace tovallo::ui {

namespace {

QProgressBar* HiddenBar(QWidget* parent, const char* name) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setTextVisible(false);
    bar->setFixedHeight(14);
    bar->hide();
    return bar;
}

// Shows a progress bar for the time of a conversion.
class ShownWhileRunning {
  public:
    explicit ShownWhileRunning(QProgressBar* bar) : bar_(bar) {
        bar_->setValue(0);
        bar_->show();
    }
    ~ShownWhileRunning() { bar_->hide(); }
    ShownWhileRunning(const ShownWhileRunning&) = delete;
    ShownWhileRunning& operator=(const ShownWhileRunning&) = delete;

  private:
    QProgressBar* bar_;
};

// Disables controls for the time of a long operation.
class DisabledWhileRunning {
  public:
    explicit DisabledWhileRunning(std::initializer_list<QWidget*> widgets) : widgets_(widgets) {
        for (QWidget* w : widgets_)
            w->setEnabled(false);
    }
    ~DisabledWhileRunning() {
        for (QWidget* w : widgets_)
            w->setEnabled(true);
    }
    DisabledWhileRunning(const DisabledWhileRunning&) = delete;
    DisabledWhileRunning& operator=(const DisabledWhileRunning&) = delete;

  private:
    std::vector<QWidget*> widgets_;
};

} // namespace

S3Tab::S3Tab(TMainF& window) : QObject(&window), window_(window) {
    buildS3ToBin();
    buildBinToS3();
    buildPatch();
    window_.setTabEnter(TabS3, [this] { enter(); });
}

QGroupBox* S3Tab::groupBox(const char* name, const char* caption, int x, int y, int w, int h) {
    auto* box = new QGroupBox(caption, window_.tabArea());
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    window_.addTabGroup(TabS3, box);
    return box;
}

void S3Tab::buildS3ToBin() {
    GBs3toBin_ = groupBox("GBs3toBin", "s3 to BIN Converting", 2, 0, 392, 172);
    auto* layout = new QGridLayout(GBs3toBin_);
    LEs3File_ = new LabelledEdit("LEs3File", "s3 File:", GBs3toBin_);
    layout->addWidget(LEs3File_, 0, 0, 1, 2);
    BOpenS3_ = Named<QPushButton>(GBs3toBin_, "BOpenS3", "Open s3");
    layout->addWidget(BOpenS3_, 0, 2, Qt::AlignBottom);
    RBAll_ = Named<QRadioButton>(GBs3toBin_, "RBAll", "All (with empty address)");
    RBAll_->setChecked(true);
    layout->addWidget(RBAll_, 1, 0, 1, 2);
    layout->addWidget(Named<QRadioButton>(GBs3toBin_, "RBPart", "Part (only with data)"), 2, 0, 1,
                      2);
    CBDont_ = new QCheckBox("Don't show error messages", GBs3toBin_);
    CBDont_->setObjectName("CBDont");
    layout->addWidget(CBDont_, 3, 0, 1, 2);
    BSaveBin_ = Named<QPushButton>(GBs3toBin_, "BSaveBin", "Convert to BIN");
    layout->addWidget(BSaveBin_, 3, 2);
    Ps3Bar_ = HiddenBar(GBs3toBin_, "Ps3Bar");
    layout->addWidget(Ps3Bar_, 4, 0, 1, 3);
    layout->setRowStretch(5, 1);
    connect(BOpenS3_, &QPushButton::clicked, this, &S3Tab::BOpenS3Click);
    connect(BSaveBin_, &QPushButton::clicked, this, &S3Tab::BSaveBinClick);
}

void S3Tab::buildBinToS3() {
    GBBinToS3_ = groupBox("GBBinToS3", "BIN to s3 Converting", 398, 0, 392, 172);
    auto* layout = new QGridLayout(GBBinToS3_);
    LEBinFile_ = new LabelledEdit("LEBinFile", "BIN File:", GBBinToS3_);
    layout->addWidget(LEBinFile_, 0, 0, 1, 2);
    BOpenBin_ = Named<QPushButton>(GBBinToS3_, "BOpenBin", "Open BIN");
    layout->addWidget(BOpenBin_, 0, 2, Qt::AlignBottom);
    RBAllBin_ = Named<QRadioButton>(GBBinToS3_, "RBAllBin", "All address");
    RBAllBin_->setChecked(true);
    RBPartBin_ = Named<QRadioButton>(GBBinToS3_, "RBPartBin", "Part address");
    layout->addWidget(RBAllBin_, 1, 0);
    layout->addWidget(RBPartBin_, 1, 1);
    LEBinStart_ = new LabelledEdit("LEBinStart", "Start address(Hex): ", GBBinToS3_);
    LEBinStop_ = new LabelledEdit("LEBinStop", "Stop address(Hex): ", GBBinToS3_);
    for (LabelledEdit* e : {LEBinStart_, LEBinStop_}) {
        e->edit()->setMaxLength(10);
        // Typed addresses show in upper case, as the edit's character case asks.
        connect(e->edit(), &QLineEdit::textEdited, e, [e](const QString& text) {
            const int at = e->edit()->cursorPosition();
            e->setText(text.toUpper());
            e->edit()->setCursorPosition(at);
        });
    }
    LEBinStop_->setEnabled(false);
    layout->addWidget(LEBinStart_, 2, 0);
    layout->addWidget(LEBinStop_, 2, 1);
    QPushButton* exclude = Named<QPushButton>(GBBinToS3_, "Bs3Exclude", "Exclude's");
    layout->addWidget(exclude, 2, 2, Qt::AlignBottom);
    BSaveS3_ = Named<QPushButton>(GBBinToS3_, "BSaveS3", "Convert to s3");
    layout->addWidget(BSaveS3_, 3, 2);
    PBinBar_ = HiddenBar(GBBinToS3_, "PBinBar");
    layout->addWidget(PBinBar_, 4, 0, 1, 3);
    layout->setRowStretch(5, 1);
    connect(BOpenBin_, &QPushButton::clicked, this, &S3Tab::BOpenBinClick);
    connect(BSaveS3_, &QPushButton::clicked, this, &S3Tab::BSaveS3Click);
    connect(RBAllBin_, &QRadioButton::clicked, this, &S3Tab::RBBinClick);
    connect(RBPartBin_, &QRadioButton::clicked, this, &S3Tab::RBBinClick);
    connect(exclude, &QPushButton::clicked, this, &S3Tab::Bs3ExcludeClick);
}

void S3Tab::buildPatch() {
    GBs3Patch_ = groupBox("GBs3Patch", "s3 patch Creator", 2, 174, 788, 314);
    auto* layout = new QGridLayout(GBs3Patch_);
    TableS3_ = new Grid("TableS3", GridTitles(TableS3Titles, 6), GBs3Patch_);
    TableS3_->setToolTip("Table of patches");
    // The value column (file names) takes the rest of the width.
    const std::array<int, 6> widths = {44, 50, 78, 84, 56, 100};
    for (size_t c = 0; c < widths.size(); ++c)
        TableS3_->setColumnWidth(static_cast<int>(c), widths[c]);
    TableS3_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(TableS3_, 0, 0, 7, 1);
    layout->setColumnStretch(0, 1);
    QPushButton* selectAll = Named<QPushButton>(GBs3Patch_, "Bs3SelAll", "Select All");
    layout->addWidget(selectAll, 0, 1);
    RBone_ = Named<QRadioButton>(GBs3Patch_, "RBone", "All patches in one s3 file");
    RBone_->setChecked(true);
    RBdifferent_ =
        Named<QRadioButton>(GBs3Patch_, "RBdifferent", "All patches in different s3 files");
    layout->addWidget(RBone_, 1, 1);
    layout->addWidget(RBdifferent_, 2, 1);
    BCreateS3_ = Named<QPushButton>(GBs3Patch_, "BCreateS3", "Create s3 patch");
    BCreateRest_ = Named<QPushButton>(GBs3Patch_, "BCreateRest", "Create restore");
    BCreateRest_->setToolTip("Creates the restore Patch file");
    layout->addWidget(BCreateS3_, 3, 1);
    layout->addWidget(BCreateRest_, 4, 1);
    PatchBar_ = HiddenBar(GBs3Patch_, "PatchBar");
    layout->addWidget(PatchBar_, 5, 1);
    layout->setRowStretch(6, 1);
    connect(selectAll, &QPushButton::clicked, this, &S3Tab::Bs3SelAllClick);
    connect(BCreateS3_, &QPushButton::clicked, this, &S3Tab::BCreateS3Click);
    connect(BCreateRest_, &QPushButton::clicked, this, &S3Tab::BCreateRestClick);
    connect(TableS3_, &Grid::rowDoubleClicked, this, &S3Tab::TableS3DblClick);
}

void S3Tab::enter() {
    CBDont_->setChecked(true);
    refillPatchTable();
}

void S3Tab::refillPatchTable() {
    table_.Fill(window_.workspace().changes);
    TableS3_->ClearGrid();
    for (size_t i = 0; i < table_.rows().size(); ++i) {
        const int row = TableS3_->AddGridRow(true);
        const auto cells = table_.cells(i);
        for (int c = 0; c < 5; ++c)
            TableS3_->setText(row, c + 1, FromWin(cells[static_cast<size_t>(c)]));
    }
}

void S3Tab::takeChecks() {
    for (size_t i = 0; i < table_.rows().size(); ++i)
        table_.SetChecked(i, TableS3_->rowChecked(static_cast<int>(i)));
}

void S3Tab::BOpenS3Click() {
    if (window_.busy())
        return;
    if (const auto path = window_.dialogs().openFile(S3FileFilter))
        LEs3File_->setText(QString::fromStdString(*path));
}

void S3Tab::BOpenBinClick() {
    if (window_.busy())
        return;
    if (const auto path = window_.dialogs().openFile(BinFileFilter))
        LEBinFile_->setText(QString::fromStdString(*path));
}

void S3Tab::RBBinClick() {
    LEBinStop_->setEnabled(!RBAllBin_->isChecked());
}

void S3Tab::BSaveBinClick() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    S3ToBinForm form;
    form.s3File = LEs3File_->text().toStdString();
    form.placeAtAddress = RBAll_->isChecked();
    form.quiet = CBDont_->isChecked();
    DisabledWhileRunning disabled{BOpenS3_, BSaveBin_, GBs3Patch_, GBBinToS3_};
    ShownWhileRunning shown(Ps3Bar_);
    QtProgress progress(Ps3Bar_);
    ConvertS3ToBin(window_.workspace(), window_.dialogs(), progress, form);
}

void S3Tab::BSaveS3Click() {
    TMainF::Busy busy(window_);
    if (!busy)
        return;
    const auto start = ToWin(LEBinStart_->text(), window_.dialogs());
    const auto stop = start ? ToWin(LEBinStop_->text(), window_.dialogs()) : std::nullopt;
    if (!stop)
        return;
    BinToS3Form form;
    form.binFile = LEBinFile_->text().toStdString();
    form.startText = *start;
    form.stopText = *stop;
    form.wholeFile = RBAllBin_->isChecked();
    {
        DisabledWhileRunning disabled{BOpenBin_, BSaveS3_, GBs3toBin_, GBs3Patch_};
        ShownWhileRunning shown(PBinBar_);
        QtProgress progress(PBinBar_);
        ConvertBinToS3(window_.workspace(), window_.dialogs(), progress, form);
    }
    LEBinStart_->setText(FromWin(form.startText));
    if (!form.wholeFile)
        LEBinStop_->setText(FromWin(form.stopText));
}

void S3Tab::Bs3ExcludeClick() {
    if (window_.busy())
        return;
    window_.excludeDialog().exec();
}

void S3Tab::Bs3SelAllClick() {
    for (int r = 0; r < TableS3_->rowCount(); ++r)
        if (QCheckBox* box = TableS3_->rowCheckBox(r))
            box->setChecked(true);
}

void S3Tab::BCreateS3Click() {
    TMainF::Busy busy(window_);
    if (!busy || table_.empty())
        return;
    takeChecks();
    DisabledWhileRunning disabled{BCreateS3_, RBone_, GBBinToS3_, GBs3toBin_, RBdifferent_};
    ShownWhileRunning shown(PatchBar_);
    QtProgress progress(PatchBar_);
    CreateS3Patch(window_.workspace(), table_, window_.dialogs(), progress,
                  RBone_->isChecked() ? PatchFiles::OneFile : PatchFiles::DifferentFiles);
}

void S3Tab::BCreateRestClick() {
    TMainF::Busy busy(window_);
    if (!busy || table_.empty())
        return;
    takeChecks();
    DisabledWhileRunning disabled{BCreateS3_, BCreateRest_, RBone_,
                                  GBBinToS3_, GBs3toBin_,   RBdifferent_};
    ShownWhileRunning shown(PatchBar_);
    QtProgress progress(PatchBar_);
    CreateRestore(window_.workspace(), table_, window_.dialogs(), progress);
}

void S3Tab::TableS3DblClick(int row) {
    if (window_.busy() || row < 0 || row >= static_cast<int>(table_.rows().size()))
        return;
    window_.patchView().showRow(table_.rows()[static_cast<size_t>(row)]);
}

} // namespace tovallo::ui
