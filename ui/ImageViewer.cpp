// The viewer half of the "Images" tab: the dump, the phone display and the navigation.
#include "ui/ImagesTab.h"

#include "images/PictureReader.h"
#include "images/Raw16Codec.h"
#include "images/WbmpCodec.h"
#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "ui/Surface.h"
#include "ui/TextCodec.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"

#include <QLineEdit>
#include <QPainter>
#include <charconv>

namespace tovallo::ui {

namespace {

// Rows the dump always shows.
constexpr int DumpRows = 320;

void DrawPicture(Surface& surface, const Picture& picture) {
    QImage& image = surface.image();
    const int w = std::min(picture.Width, image.width() - 1);
    const int h = std::min(picture.Height, image.height() - 1);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y + 1));
        for (int x = 0; x < w; ++x)
            line[x + 1] = ToQRgb(picture.at(x, y));
    }
    surface.update();
}

} // namespace

void ImagesTab::drawOnPhone(const Picture& picture) {
    PhoneIm_->clear();
    DrawPicture(*PhoneIm_, picture);
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
    DrawPicture(*Image_, page);
    // The phone display shows the picture's own width and height (up to 320 x 240), taken
    // from the decoded page rather than from the 176 columns the dump surface can hold.
    drawOnPhone(page.cropped(cur.Width, cur.Height));
    cur.Type = ImageType::Raw16;
    ShowPictureFields();
}

void ImagesTab::DrawWbmp() {
    Workspace& ws = window_.workspace();
    CurrentPicture& cur = window_.current();
    const size_t count = static_cast<size_t>(cur.Width) * cur.Height / 8;
    const std::vector<uint8_t> bytes = ReadPictureBytes(FirmwareReader(ws), cur.Address, count);
    drawOnPhone(DecodeWbmp(bytes.data(), bytes.size(), cur.Width, cur.Height));
    cur.Type = ImageType::Wbmp;
    ShowPictureFields();
}

void ImagesTab::DrawImage09() {
    Workspace& ws = window_.workspace();
    CurrentPicture& cur = window_.current();
    const Decoded09 decoded =
        DecodeImage09At(FirmwareReader(ws), cur.Address, cur.Width, cur.Height, Decode09Mode::Draw);
    PhoneIm_->clear();
    if (decoded.outcome == Decode09Outcome::NotImage09) {
        PhoneIm_->drawText(24, 64, FromWin(ws.messages.text(msg::Error)));
        return;
    }
    DrawPicture(*PhoneIm_, decoded.picture);
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
}

void ImagesTab::moveTo(int64_t address, bool refused, int message) {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    if (refused) {
        window_.dialogs().warn(message);
        return;
    }
    window_.current().Address = static_cast<uint32_t>(address);
    DrawRaw16Dump();
}

void ImagesTab::BImageNextClick() {
    const int64_t a = window_.current().Address, page = window_.current().Width * 640LL;
    moveTo(a + page, window_.workspace().FwSize() - page <= a, msg::EndOfFile);
}

void ImagesTab::BImagePrevClick() {
    const int64_t a = window_.current().Address, page = window_.current().Width * 640LL;
    moveTo(a - page, page >= a, msg::BeginningOfFile);
}

void ImagesTab::BImageUpClick() {
    // Refused by the page test, not the row test, so the dump never runs past the end.
    const int64_t a = window_.current().Address, page = window_.current().Width * 640LL;
    moveTo(a + window_.current().Width * 2LL, window_.workspace().FwSize() - page <= a,
           msg::EndOfFile);
}

void ImagesTab::BImageDownClick() {
    const int64_t a = window_.current().Address, row = window_.current().Width * 2LL;
    moveTo(a - row, row >= a, msg::BeginningOfFile);
}

void ImagesTab::BImageLeftClick() {
    const int64_t a = window_.current().Address;
    moveTo(a - 2, a < 3, msg::BeginningOfFile);
}

void ImagesTab::BImageRightClick() {
    const int64_t a = window_.current().Address;
    moveTo(a + 2, a >= window_.workspace().FwSize() - 2, msg::EndOfFile);
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

void ImagesTab::sizeEditEntered(QLineEdit* edit, bool width) {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    CurrentPicture& cur = window_.current();
    std::string text = edit->text().toStdString();
    CleanDecText(text);
    // Values outside the picture limits are ignored; the picture is drawn again all the same.
    int value = width ? cur.Width : cur.Height;
    if (!text.empty() && text.size() <= 4)
        std::from_chars(text.data(), text.data() + text.size(), value);
    const int maximum = width ? MaxPictureWidth : MaxPictureHeight;
    if (value >= 1 && value <= maximum)
        (width ? cur.Width : cur.Height) = value;
    RedrawCurrent();
}

void ImagesTab::addressEntered(bool hex) {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    CurrentPicture& cur = window_.current();
    std::string text = (hex ? EHex_ : EIndex_)->text().toStdString();
    std::optional<uint64_t> value;
    if (text.empty()) {
        value = cur.Address;
    } else if (hex) {
        CleanHexText(text);
        const auto parsed = ParseHexAddr(text, &window_.dialogs());
        if (!parsed)
            return;
        value = *parsed;
    } else {
        CleanDecText(text);
        uint64_t v = cur.Address;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (!text.empty() && (ec != std::errc() || end != text.data() + text.size())) {
            window_.dialogs().errorText(NotAnIntegerText(text));
            return;
        }
        value = v;
    }
    // An address at or beyond the end of the file is ignored and the old picture drawn again.
    if (*value < static_cast<uint64_t>(ws.FwSize()))
        cur.Address = static_cast<uint32_t>(*value);
    DetectImageType(FirmwareReader(ws), cur, cur.Address, typeChoice());
    RedrawCurrent();
}

void ImagesTab::phoneMouseMove(int x, int y) {
    const Rgb24 c = PhoneIm_->pixel(x, y);
    Emove_->setText(QString("x: %1  y: %2").arg(x).arg(y));
    Ecolor_->setText(
        QString("r: %1  g: %2  b: %3").arg(c & 0xFF).arg((c >> 8) & 0xFF).arg((c >> 16) & 0xFF));
}

} // namespace tovallo::ui
