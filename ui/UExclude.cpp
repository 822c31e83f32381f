#include "ui/UExclude.h"

#include "ui/Grid.h"
#include "ui/GridTitles.h"
#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "ui/TextCodec.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

namespace tovallo::ui {

TFExcludeAddr::TFExcludeAddr(TMainF& window) : QDialog(&window), window_(window) {
    setObjectName("TFExcludeAddr");
    setWindowTitle("Exclude addresses");
    setFixedSize(400, 250);

    SGExcludes_ = new Grid("SGExcludes", GridTitles(ExcludesTitles, 2), this);
    SGExcludes_->setGeometry(8, 8, 220, 234);
    SGExcludes_->setColumnWidth(0, 100);
    SGExcludes_->horizontalHeader()->setStretchLastSection(true);
    connect(SGExcludes_, &Grid::rowClicked, this, &TFExcludeAddr::SGExcludesClick);

    LEStart_ = new LabelledEdit("LEStart", "Start address (HEX):", this);
    LEStart_->setGeometry(240, 8, 150, 38);
    LEStop_ = new LabelledEdit("LEStop", "Stop address (HEX):", this);
    LEStop_->setGeometry(240, 50, 150, 38);
    auto button = [this](const char* name, const char* caption, int y) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(240, y, 150, 26);
        return b;
    };
    connect(button("Button2", "Add region", 94), &QPushButton::clicked, this,
            &TFExcludeAddr::Button2Click);
    connect(button("Button3", "Delete region", 124), &QPushButton::clicked, this,
            &TFExcludeAddr::Button3Click);
    auto* label = new QLabel("Phone model:", this);
    label->setObjectName("Label1");
    label->setGeometry(240, 156, 150, 16);
    CBStandart_ = new QComboBox(this);
    CBStandart_->setObjectName("CBStandart");
    CBStandart_->addItem(ExcludeRegionsModel::PresetC200);
    CBStandart_->setCurrentIndex(-1);
    CBStandart_->setGeometry(240, 174, 150, 24);
    connect(CBStandart_, &QComboBox::activated, this, &TFExcludeAddr::CBStandartChange);
    connect(button("Button1", "Ok", 214), &QPushButton::clicked, this,
            &TFExcludeAddr::Button1Click);
}

void TFExcludeAddr::refresh() {
    SGExcludes_->ClearGrid();
    SGExcludes_->setRowCount(std::max<int>(1, static_cast<int>(model_.rows().size())));
    for (size_t i = 0; i < model_.rows().size(); ++i) {
        SGExcludes_->setText(static_cast<int>(i), 0, FromWin(model_.startCell(i)));
        SGExcludes_->setText(static_cast<int>(i), 1, FromWin(model_.stopCell(i)));
    }
    LEStart_->setText(FromWin(model_.LEStart));
    LEStop_->setText(FromWin(model_.LEStop));
}

void TFExcludeAddr::Button2Click() {
    const auto start = ToWin(LEStart_->text(), window_.dialogs());
    const auto stop = start ? ToWin(LEStop_->text(), window_.dialogs()) : std::nullopt;
    if (!stop)
        return;
    model_.LEStart = *start;
    model_.LEStop = *stop;
    model_.AddRegion(&window_.dialogs());
    refresh();
}

void TFExcludeAddr::Button3Click() {
    const int row = SGExcludes_->selectedRow();
    if (row < 0 || row >= static_cast<int>(model_.rows().size()))
        return;
    model_.DeleteRegion(static_cast<size_t>(row));
    refresh();
}

void TFExcludeAddr::Button1Click() {
    model_.Ok(window_.workspace().ExcludedRegions);
    accept();
}

void TFExcludeAddr::CBStandartChange(int index) {
    if (index < 0)
        return;
    if (const auto preset = ToWin(CBStandart_->itemText(index), window_.dialogs()))
        model_.LoadPreset(*preset);
    refresh();
}

void TFExcludeAddr::SGExcludesClick(int row) {
    if (row < 0 || row >= static_cast<int>(model_.rows().size()))
        return;
    model_.SelectRow(static_cast<size_t>(row));
    LEStart_->setText(FromWin(model_.LEStart));
    LEStop_->setText(FromWin(model_.LEStop));
}

} // namespace tovallo::ui
