#include "ui/AboutBox.h"

#include "ui/MainWindow.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace tovallo::ui {

namespace {

// A small drawing of a phone showing a picture, so the box needs no image file.
QPixmap PhonePicture() {
    QPixmap pixmap(96, 160);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x30, 0x36, 0x40));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(4, 2, 88, 156, 14, 14);
    QLinearGradient screen(16, 22, 80, 90);
    screen.setColorAt(0, QColor(0x3A, 0x8E, 0xE6));
    screen.setColorAt(1, QColor(0xF2, 0xA3, 0x3A));
    p.setBrush(screen);
    p.drawRect(14, 20, 68, 72);
    p.setBrush(QColor(0xD8, 0xDC, 0xE0));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawEllipse(20 + col * 22, 102 + row * 16, 14, 10);
    return pixmap;
}

constexpr const char* Credits = "Tovallo - firmware resource editor for Samsung SGH phones\n\n"
                                "Pictures: \"09\", RAW-16 and WBMP\n"
                                "Strings and interface languages\n"
                                "Sounds and Java games\n"
                                "S3 conversion and patches\n"
                                "Phone file manager\n"
                                "Animation editor\n\n"
                                "Always keep a copy of your firmware!";

} // namespace

AboutBox::AboutBox(TMainF& window)
    : QDialog(&window, Qt::Dialog | Qt::FramelessWindowHint), window_(window) {
    setObjectName("AboutBox");
    setFixedSize(420, 240);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xF4, 0xF1, 0xEA));
    setPalette(palette);

    auto* picture = new QLabel(this);
    picture->setPixmap(PhonePicture());
    picture->setGeometry(16, 16, 96, 160);

    auto* version = new QLabel(QString(TMainF::Caption), this);
    version->setObjectName("AboutVersion");
    QFont big = version->font();
    big.setPointSize(14);
    big.setBold(true);
    version->setFont(big);
    version->setGeometry(128, 16, 280, 28);

    scrollArea_ = new QWidget(this);
    scrollArea_->setGeometry(128, 50, 280, 110);
    scrollText_ = new QLabel(Credits, scrollArea_);
    scrollText_->setWordWrap(true);
    scrollText_->setFixedWidth(280);
    scrollText_->adjustSize();
    scrollText_->move(0, scrollArea_->height());

    location_ = new QLabel(this);
    location_->setObjectName("AboutSettings");
    location_->setWordWrap(true);
    location_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    location_->setGeometry(16, 180, 300, 48);

    auto* ok = new QPushButton("Ok", this);
    ok->setGeometry(330, 196, 76, 26);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    timer_ = new QTimer(this);
    timer_->setInterval(40);
    connect(timer_, &QTimer::timeout, this, &AboutBox::scroll);
}

QString AboutBox::settingsLine() const {
    return "Settings file: " + QString::fromStdString(window_.settingsPath());
}

int AboutBox::exec() {
    location_->setText(settingsLine());
    scrollText_->move(0, scrollArea_->height());
    timer_->start();
    const int result = QDialog::exec();
    timer_->stop();
    return result;
}

void AboutBox::mousePressEvent(QMouseEvent*) {
    accept();
}

void AboutBox::scroll() {
    int y = scrollText_->y() - 1;
    if (y < -scrollText_->height())
        y = scrollArea_->height();
    scrollText_->move(0, y);
}

} // namespace tovallo::ui
