// The viewer half of the "Images" tab: the dump, the phone display and the navigation.
#include "ui/ImagesTab.h"

#include "images/PictureReader.h"
#include "images/Raw16Codec.h"
#include "images/ViewerNavigation.h"
#include "images/WbmpCodec.h"
#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "ui/Surface.h"
#include "ui/TextCodec.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"

#include <QLineEdit>

namespace tovallo::ui {

namespace {

// Rows the dump always shows.
constexpr int DumpRows = 320;

} // namespace

void ImagesTab::drawOnPhone(const Picture& picture) {
    PhoneIm_->clear();
    PhoneIm_->drawPicture(picture);
}

Picture ImagesTab::shownPicture() const {
    const CurrentPicture& cur = window_.current();
    Picture out(cur.Width, cur.Height);
    for (int y = 0; y < cur.Height; ++y)
        for (int x = 0; x < cur.Width; ++x)
            out.at(x, y) = PhoneIm_->pixel(x + 1, y + 1);
    return out;
}

void ImagesTab::DrawRaw16Dump() {
    Workspace& ws = window_.workspace();
    CurrentPicture& cur = window_.current();
    const size_t count = static_cast<size_t>(cur.Width) * DumpRows * 2;
    const std::vector<uint8_t> bytes = ReadPictureBytes(FirmwareReader(ws), cur.Address, count);
    const Picture page = DecodeRaw16(bytes.data(), bytes.size(), cur.Width, DumpRows);
    Image_->clear();
    Image_->drawPicture(page);
    // The phone display shows the picture's own width and height (up to 320 x 240), taken
    // from the decoded page rather than from the 176 columns the dump surface can hold.
    drawOnPhone(page.cropped(cur.Width, cur.Height));
    cur.Type = ImageType::Raw16;
    pictureOnView_ = true;
    ShowPictureFields();
}

void ImagesTab::DrawWbmp() {
    Workspace& ws = window_.workspace();
    CurrentPicture& cur = window_.current();
    const size_t count = static_cast<size_t>(cur.Width) * cur.Height / 8;
    const std::vector<uint8_t> bytes = ReadPictureBytes(FirmwareReader(ws), cur.Address, count);
    drawOnPhone(DecodeWbmp(bytes.data(), bytes.size(), cur.Width, cur.Height));
    cur.Type = ImageType::Wbmp;
    pictureOnView_ = true;
    ShowPictureFields();
}

void ImagesTab::DrawImage09() {
    Workspace& ws = window_.workspace();
    CurrentPicture& cur = window_.current();
    const Decoded09 decoded =
        DecodeImage09At(FirmwareReader(ws), cur.Address, cur.Width, cur.Height, Decode09Mode::Draw);
    PhoneIm_->clear();
    pictureOnView_ = decoded.outcome != Decode09Outcome::NotImage09;
    if (!pictureOnView_) {
        PhoneIm_->drawText(24, 64, FromWin(ws.messages.text(msg::Error)));
        return;
    }
    PhoneIm_->drawPicture(decoded.picture);
    if (decoded.outcome == Decode09Outcome::BadPaletteIndex)
        PhoneIm_->drawText(4, 48, FromWin(ImageErrorText));
    cur.Length09 = decoded.length;
    cur.Type = ImageType::Image09;
    ShowPictureFields();
}

void ImagesTab::RedrawCurrent() {
    if (!window_.workspace().FwIsOpen())
        return;
    switch (window_.current().Type) {
    case ImageType::Raw16:
        DrawRaw16Dump();
        break;
    case ImageType::Wbmp:
        DrawWbmp();
        break;
    case ImageType::Image09:
        DrawImage09();
        break;
    case ImageType::Unknown:
        pictureOnView_ = false;
        break;
    }
}

void ImagesTab::ShowPictureFields() {
    const CurrentPicture& cur = window_.current();
    EIndex_->setText(QString::number(cur.Address));
    EHex_->setText(QString::fromStdString(ToHexAddr(cur.Address)));
    Ewidth_->setText(QString::number(cur.Width));
    Eheight_->setText(QString::number(cur.Height));
    UDWidth_->setPosition(cur.Width);
    UDHeight_->setPosition(cur.Height);
}

void ImagesTab::clearViewerFields() {
    EHex_->clear();
    EIndex_->clear();
    PhoneIm_->clear();
    pictureOnView_ = false;
}

void ImagesTab::moveDump(DumpMove move) {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    if (MoveDump(window_.current(), ws.FwSize(), move, window_.dialogs()))
        DrawRaw16Dump();
}

void ImagesTab::BImageNextClick() {
    moveDump(DumpMove::NextPage);
}

void ImagesTab::BImagePrevClick() {
    moveDump(DumpMove::PrevPage);
}

void ImagesTab::BImageUpClick() {
    moveDump(DumpMove::RowUp);
}

void ImagesTab::BImageDownClick() {
    moveDump(DumpMove::RowDown);
}

void ImagesTab::BImageLeftClick() {
    moveDump(DumpMove::PixelLeft);
}

void ImagesTab::BImageRightClick() {
    moveDump(DumpMove::PixelRight);
}

void ImagesTab::setWidth(int width) {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    window_.current().Width = width;
    RedrawCurrent();
}

void ImagesTab::setHeight(int height) {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    window_.current().Height = height;
    RedrawCurrent();
}

void ImagesTab::sizeEditEntered(QLineEdit* edit, PictureSide side) {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    EnterPictureSide(window_.current(), side, edit->text().toStdString());
    RedrawCurrent();
}

void ImagesTab::addressEntered(AddressBase base) {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    const QLineEdit* edit = base == AddressBase::Hexadecimal ? EHex_ : EIndex_;
    if (EnterAddress(FirmwareReader(ws), window_.current(), ws.FwSize(), edit->text().toStdString(),
                     base, typeChoice(), window_.dialogs()))
        RedrawCurrent();
}

void ImagesTab::typeChoiceChanged() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    ChangeTypeChoice(FirmwareReader(ws), window_.current(), found_, typeChoice());
    RedrawCurrent();
}

void ImagesTab::phoneMouseMove(int x, int y) {
    const Rgb24 c = PhoneIm_->pixel(x, y);
    Emove_->setText(QString("x: %1  y: %2").arg(x).arg(y));
    Ecolor_->setText(
        QString("r: %1  g: %2  b: %3").arg(c & 0xFF).arg((c >> 8) & 0xFF).arg((c >> 16) & 0xFF));
}

} // namespace tovallo::ui
