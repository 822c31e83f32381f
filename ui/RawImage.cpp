#include "ui/RawImage.h"

#include "images/ImageTable.h"
#include "ui/ImagesTab.h"
#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "ui/Surface.h"
#include "ui/TextCodec.h"

#include <QCheckBox>
#include <QPainter>
#include <QPushButton>

namespace tovallo::ui {

namespace {

void DrawInto(Surface& surface, const Picture& picture) {
    surface.clear();
    for (int y = 0; y < picture.Height && y + 1 < surface.height(); ++y)
        for (int x = 0; x < picture.Width && x + 1 < surface.width(); ++x)
            surface.image().setPixel(x + 1, y + 1, ToQRgb(picture.at(x, y)));
    surface.update();
}

} // namespace

TFReImage::TFReImage(TMainF& window)
    : QDialog(&window, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      window_(window) {
    setObjectName("TFReImage");
    setWindowTitle("Repalce Image");
    setFixedSize(670, 372);

    OldImage_ = new Surface("OldImage", 322, 242, this);
    OldImage_->setToolTip("This is Old Image");
    OldImage_->move(8, 8);
    ReImage_ = new Surface("ReImage", 322, 242, this);
    ReImage_->setToolTip("This is New Image");
    ReImage_->move(340, 8);
    connect(ReImage_, &Surface::mouseMoved, this, &TFReImage::reImageMove);
    connect(ReImage_, &Surface::mousePressed, this, &TFReImage::reImagePress);
    TranspIm_ = new Surface("TranspIm", 128, 14, this);
    TranspIm_->move(500, 256);
    TranspIm_->hide();

    // The edits leave room beside them for the check boxes' full captions.
    auto readOnly = [this](const char* name, const char* label, int x, int y) {
        auto* edit = new LabelledEdit(name, label, this);
        edit->edit()->setReadOnly(true);
        edit->setGeometry(x, y, 150, 38);
        return edit;
    };
    LEOldSize_ = readOnly("LEOldSize", "Width x Height x Size", 8, 254);
    LEOldAddr_ = readOnly("LEOldAddr", "Old Next Address:", 8, 294);
    LENewSize_ = readOnly("LENewSize", "Width x Height x Size", 340, 254);
    LENewAddr_ = readOnly("LENewAddr", "New Next Address:", 340, 294);

    CBTransp_ = new QCheckBox("Enable Transparent", this);
    CBTransp_->setObjectName("CBTransp");
    CBTransp_->setGeometry(500, 272, 164, 20);
    CBAutoNextAddr_ = new QCheckBox("Auto calculate Next Address", this);
    CBAutoNextAddr_->setObjectName("CBAutoNextAddr");
    CBAutoNextAddr_->setGeometry(116, 343, 216, 20);
    connect(CBTransp_, &QCheckBox::clicked, this, &TFReImage::CBTranspClick);
    connect(CBAutoNextAddr_, &QCheckBox::clicked, this, &TFReImage::CBAutoNextAddrClick);

    auto button = [this](const char* name, const char* caption, int x) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(x, 340, 100, 26);
        return b;
    };
    BExportIm_ = button("BExportIm", "Export Image", 8);
    BImportIm_ = button("BImportIm", "Import Image", 340);
    BReplaceIm_ = button("BReplaceIm", "Replace", 452);
    BCancelIm_ = button("BCancelIm", "Cancel", 562);
    connect(BExportIm_, &QPushButton::clicked, this, &TFReImage::BExportImClick);
    connect(BImportIm_, &QPushButton::clicked, this, &TFReImage::BImportImClick);
    connect(BReplaceIm_, &QPushButton::clicked, this, &TFReImage::BReplaceImClick);
    connect(BCancelIm_, &QPushButton::clicked, this, &QDialog::reject);
}

void TFReImage::open(size_t row) {
    ImagesTab& images = window_.imagesTab();
    if (!OpenReplacement(state_, window_.current(), images.shownPicture(), images.imageTable(), row,
                         window_.dialogs()))
        return;
    LEOldSize_->setText(FromWin(state_.OldSizeText));
    LEOldAddr_->setText(FromWin(state_.OldNextAddrText));
    LENewSize_->setText(QString());
    DrawInto(*OldImage_, state_.OldPicture);
    ReImage_->clear();
    ReImage_->setTransparentColour(std::nullopt);
    exec();
}

void TFReImage::showNewPicture() {
    DrawInto(*ReImage_, state_.NewPicture);
    LENewSize_->setText(FromWin(state_.NewSizeText));
    LENewAddr_->setText(FromWin(state_.NewNextAddrText));
}

void TFReImage::BImportImClick() {
    const auto path = window_.dialogs().openFile("BMP file|*.bmp");
    if (!path)
        return;
    CBTransp_->setChecked(false);
    CBTranspClick(false);
    Workspace& ws = window_.workspace();
    if (ImportReplacementFile(state_, window_.current(), *path, ws.profile.TransparentColor,
                              window_.dialogs()))
        showNewPicture();
}

void TFReImage::BReplaceImClick() {
    if (LENewSize_->text().size() < 2)
        return;
    ReImage_->setTransparentColour(std::nullopt);
    state_.Transparent = CBTransp_->isChecked();
    if (QueueReplacement(window_.workspace(), state_, window_.current(), window_.dialogs()))
        accept();
    else if (state_.Transparent)
        ReImage_->setTransparentColour(state_.KeyColour);
}

void TFReImage::BExportImClick() {
    if (const auto path = window_.dialogs().saveFile(
            "BMP file|*.bmp", ProposedExportName(state_.RowName, state_.RowAddress)))
        ExportOldPicture(window_.workspace(), *path, state_, window_.dialogs());
}

void TFReImage::CBAutoNextAddrClick(bool checked) {
    state_.AutoNextAddr = checked;
    UpdateNewNextAddress(state_, window_.current());
    LENewAddr_->setText(FromWin(state_.NewNextAddrText));
}

void TFReImage::setPicking(bool picking) {
    picking_ = picking;
    ReImage_->setCursor(picking ? Qt::PointingHandCursor : Qt::CrossCursor);
    for (QPushButton* b : {BExportIm_, BCancelIm_, BImportIm_, BReplaceIm_})
        b->setEnabled(!picking);
}

void TFReImage::CBTranspClick(bool checked) {
    if (checked && !CanPickTransparentColour(state_)) {
        CBTransp_->setChecked(false);
        return;
    }
    state_.Transparent = checked;
    if (checked) {
        setPicking(true);
        TranspIm_->show();
        return;
    }
    if (picking_)
        setPicking(false);
    TranspIm_->hide();
    ReImage_->setTransparentColour(std::nullopt);
}

void TFReImage::reImageMove(int x, int y) {
    if (!picking_)
        return;
    const Rgb24 colour = ReImage_->pixel(x, y);
    QPainter painter(&TranspIm_->image());
    painter.fillRect(1, 1, TranspIm_->width() - 2, TranspIm_->height() - 2, ToQRgb(colour));
    TranspIm_->update();
}

void TFReImage::reImagePress(int x, int y) {
    if (!picking_)
        return;
    if (!PickTransparentColour(state_, x - 1, y - 1))
        return;
    setPicking(false);
    ReImage_->setTransparentColour(state_.KeyColour);
}

} // namespace tovallo::ui
