#include "ui/PatchViewer.h"

#include "srecord/PatchPicture.h"
#include "srecord/PatchTable.h"
#include "srecord/PatchViewContent.h"
#include "ui/MainWindow.h"
#include "ui/Surface.h"
#include "ui/TextCodec.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace tovallo::ui {

TPatchView::TPatchView(TMainF& window) : QDialog(&window), window_(window) {
    setObjectName("TPatchView");
    setWindowTitle("Patch viewer");
    setFixedSize(358, 292);
    PImage_ = new Surface("PImage", 342, 242, this);
    PImage_->move(8, 8);
    PImage_->hide();
    TStr_ = new QPlainTextEdit(this);
    TStr_->setObjectName("TStr");
    TStr_->setReadOnly(true);
    TStr_->setGeometry(8, 8, 342, 242);
    TStr_->hide();
    auto* ok = new QPushButton("Ok", this);
    ok->setObjectName("Button1");
    ok->setGeometry(139, 258, 80, 26);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TPatchView::showRow(const PatchRow& row) {
    const PatchViewContent content = PatchViewFor(window_.workspace().changes, row);
    switch (content.kind) {
    case PatchViewContent::Kind::Nothing:
        return;
    case PatchViewContent::Kind::Text:
        TStr_->appendPlainText(FromWin(content.text));
        TStr_->show();
        break;
    case PatchViewContent::Kind::Picture: {
        PImage_->clear();
        if (const auto decoded = DecodePatchPicture(content)) {
            const Picture& p = decoded->picture;
            for (int y = 0; y < p.Height && y + 1 < PImage_->height(); ++y)
                for (int x = 0; x < p.Width && x + 1 < PImage_->width(); ++x)
                    PImage_->image().setPixel(x + 1, y + 1, ToQRgb(p.at(x, y)));
        }
        PImage_->show();
        break;
    }
    }
    exec();
    TStr_->clear();
    TStr_->hide();
    PImage_->hide();
}

} // namespace tovallo::ui
