#pragma once

#include "images/Picture.h"
#include "workspace/PhoneProfile.h"

#include <QImage>
#include <QWidget>
#include <optional>

namespace tovallo::ui {

// A drawing surface of fixed size: white inside a one-pixel black frame. Picture pixel (x, y)
// goes to surface position (x + 1, y + 1).
class Surface : public QWidget {
    Q_OBJECT
  public:
    Surface(const QString& name, int width, int height, QWidget* parent);

    // White with the black frame (at creation).
    void prepare();
    // White inside the frame; the frame stays as it is.
    void clear();
    void setPixel(int x, int y, Rgb24 colour);
    Rgb24 pixel(int x, int y) const;
    // Red 18-point Verdana text, used for the decoder's error texts.
    void drawText(int x, int y, const QString& text);
    // Draws `picture` with its top-left pixel at (1, 1), cut to the inside of the surface.
    void drawPicture(const Picture& picture);
    // Copies the rectangle (1, 1)-(w + 1, h + 1) of `from` onto the same place here.
    void copyFrom(const Surface& from, int w, int h);
    // Shows `colour` as transparent (the replacement dialog's key colour), or nothing.
    void setTransparentColour(std::optional<Rgb24> colour);

    const QImage& image() const { return image_; }
    QImage& image() { return image_; }

  signals:
    void mouseMoved(int x, int y);
    void mousePressed(int x, int y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QImage image_;
    std::optional<Rgb24> transparent_;
};

QRgb ToQRgb(Rgb24 colour);
Rgb24 FromQRgb(QRgb colour);

} // namespace tovallo::ui
