#include "ui/Surface.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace tovallo::ui {

QRgb ToQRgb(Rgb24 colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

Rgb24 FromQRgb(QRgb colour) {
    return static_cast<Rgb24>(qRed(colour)) | static_cast<Rgb24>(qGreen(colour)) << 8 |
           static_cast<Rgb24>(qBlue(colour)) << 16;
}

Surface::Surface(const QString& name, int width, int height, QWidget* parent)
    : QWidget(parent), image_(width, height, QImage::Format_RGB32) {
    setObjectName(name);
    setFixedSize(width, height);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    prepare();
}

void Surface::prepare() {
    image_.fill(Qt::white);
    QPainter painter(&image_);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, image_.width() - 1, image_.height() - 1);
    update();
}

void Surface::clear() {
    QPainter painter(&image_);
    painter.fillRect(1, 1, image_.width() - 2, image_.height() - 2, Qt::white);
    update();
}

void Surface::setPixel(int x, int y, Rgb24 colour) {
    if (x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
        image_.setPixel(x, y, ToQRgb(colour));
    update();
}

Rgb24 Surface::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height())
        return 0;
    return FromQRgb(image_.pixel(x, y));
}

void Surface::drawText(int x, int y, const QString& text) {
    QPainter painter(&image_);
    QFont font("Verdana");
    font.setPointSize(18);
    painter.setFont(font);
    painter.setPen(Qt::red);
    painter.drawText(QPoint(x, y + QFontMetrics(font).ascent()), text);
    update();
}

void Surface::drawPicture(const Picture& picture) {
    const int w = std::min(picture.Width, image_.width() - 1);
    const int h = std::min(picture.Height, image_.height() - 1);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y + 1));
        for (int x = 0; x < w; ++x)
            line[x + 1] = ToQRgb(picture.at(x, y));
    }
    update();
}

void Surface::copyFrom(const Surface& from, int w, int h) {
    QPainter painter(&image_);
    painter.drawImage(QPoint(1, 1), from.image_, QRect(1, 1, w, h));
    update();
}

void Surface::setTransparentColour(std::optional<Rgb24> colour) {
    transparent_ = colour;
    update();
}

void Surface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!transparent_) {
        painter.drawImage(0, 0, image_);
        return;
    }
    QImage shown = image_.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQRgb(*transparent_);
    for (int y = 0; y < shown.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                line[x] = 0;
    }
    painter.drawImage(0, 0, shown);
}

void Surface::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->position().toPoint().x(), event->position().toPoint().y());
}

void Surface::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->position().toPoint().x(), event->position().toPoint().y());
}

} // namespace tovallo::ui
