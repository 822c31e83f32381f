// The table half of the "Images" tab: picture discovery and the user's image table.
#include "ui/ImagesTab.h"

#include "images/Find09.h"
#include "images/FirmwareImageTable.h"
#include "images/ImageReplacement.h"
#include "images/ImageTableFile.h"
#include "images/PictureReader.h"
#include "images/RowSort.h"
#include "images/ViewerNavigation.h"
#include "ui/ChangeAddr.h"
#include "ui/Grid.h"
#include "ui/MainWindow.h"
#include "ui/QtProgress.h"
#include "ui/RawImage.h"
#include "ui/SmallWidgets.h"
#include "ui/TextCodec.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace tovallo::ui {

namespace {

constexpr char TableFilter[] = "Table (*.txt)|*.txt|All files|*.*";
constexpr char BmpFilter[] = "BMP file|*.bmp";

// The address text of an edit, cleaned and written back; nothing when it is no address.
std::optional<uint32_t> CleanedAddress(LabelledEdit& edit, Dialogs& dialogs) {
    auto win = ToWin(edit.text(), dialogs);
    if (!win)
        return std::nullopt;
    std::string text = std::move(*win);
    CleanHexText(text);
    edit.setText(FromWin(text));
    return ParseHexAddr(text, &dialogs);
}

} // namespace

void ImagesTab::refreshFoundList() {
    Images09_->ClearGrid();
    Images09_->setRowCount(std::max<int>(1, static_cast<int>(found_.size())));
    for (size_t i = 0; i < found_.size(); ++i) {
        const int row = static_cast<int>(i);
        Images09_->setText(row, 0, QString::fromStdString(found_[i].addressText()));
        Images09_->setText(row, 1, QString::fromStdString(found_[i].dimensionText()));
    }
}

void ImagesTab::refreshImageTable() {
    Images_->ClearGrid();
    Images_->setRowCount(std::max<int>(1, static_cast<int>(table_.size())));
    for (size_t i = 0; i < table_.size(); ++i) {
        const ImageEntry& e = table_[i];
        const int row = static_cast<int>(i);
        const std::array<const std::string*, 6> cells = {&e.Name,      &e.Address, &e.Size,
                                                         &e.Dimension, &e.Colour,  &e.Type};
        for (int c = 0; c < 6; ++c)
            Images_->setText(row, c, FromWin(*cells[static_cast<size_t>(c)]));
    }
}

int ImagesTab::selectedTableRow() const {
    const int row = Images_->selectedRow();
    return row >= 0 && row < static_cast<int>(table_.size()) ? row : -1;
}

void ImagesTab::BImageFindClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    const auto start = CleanedAddress(*LEImage09Addr_, window_.dialogs());
    if (!start)
        return;
    GBFImages_->setEnabled(false);
    QtProgress bar(Bar09_);
    Find09Result result = FindImages09(ws, *start, bar, window_.dialogs());
    GBFImages_->setEnabled(true);
    found_ = std::move(result.pictures);
    refreshFoundList();
}

void ImagesTab::BImageTblFindClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    LETableAddr_->setText(QString());
    BImageTblFind_->hide();
    BImageTblStop_->show();
    ws.SearchStop = false;
    QtProgress bar(Bar09_, &ws.SearchStop);
    const auto table = FindImageTable(ws, bar, window_.dialogs());
    BImageTblStop_->hide();
    BImageTblFind_->show();
    if (table)
        LETableAddr_->setText(QString::fromStdString(ToHexAddr(*table)));
}

void ImagesTab::BImageTblStopClick() {
    // The one control that works while a search runs.
    window_.workspace().SearchStop = true;
}

void ImagesTab::BImgReadTblClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen() || LETableAddr_->text().isEmpty())
        return;
    const auto address = CleanedAddress(*LETableAddr_, window_.dialogs());
    if (!address)
        return;
    auto read = ReadImageTable(ws, *address, window_.dialogs());
    if (!read)
        return;
    found_ = std::move(read->rows);
    refreshFoundList();
}

void ImagesTab::showSurveyedPictures(uint32_t table, std::optional<FoundPictureList> rows) {
    LETableAddr_->setText(QString::fromStdString(ToHexAddr(table)));
    if (!rows)
        return;
    found_ = std::move(*rows);
    refreshFoundList();
}

void ImagesTab::BImgClearTblClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    if (!window_.dialogs().ask(msg::ClearSearchedImages))
        return;
    found_.clear();
    refreshFoundList();
}

void ImagesTab::Images09Select(int row) {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen() || row < 0 ||
        row >= static_cast<int>(found_.size()))
        return;
    showFoundPicture(row);
}

void ImagesTab::showFoundPicture(int row) {
    const FoundPicture& picture = found_[static_cast<size_t>(row)];
    CurrentPicture& cur = window_.current();
    if (picture.hasDimension()) {
        cur.Width = std::min(picture.Width, MaxPictureWidth);
        cur.Height = std::min(picture.Height, MaxPictureHeight);
    }
    SelectListedPicture(FirmwareReader(window_.workspace()), cur, picture.Address, found_,
                        typeChoice());
    RedrawCurrent();
}

void ImagesTab::BImageAddClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    const auto name = ToWin(LEImageTblName_->text(), window_.dialogs());
    if (!name)
        return;
    const AddResult result = AddCurrentPicture(table_, window_.current(), *name, window_.dialogs());
    if (result != AddResult::NoName)
        LEImageTblName_->setText(QString());
    refreshImageTable();
}

void ImagesTab::BImageDelClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    const int row = selectedTableRow();
    if (row < 0)
        return;
    table_.erase(table_.begin() + row);
    refreshImageTable();
}

void ImagesTab::MIImageDeleteClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    table_.clear();
    refreshImageTable();
}

void ImagesTab::BImageSaveTabClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    if (const auto path = window_.dialogs().saveFile(TableFilter))
        SaveImageTable(window_.workspace(), *path, table_, window_.dialogs());
}

void ImagesTab::BImageOpenTabClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    if (const auto path = window_.dialogs().openFile(TableFilter)) {
        LoadImageTable(*path, table_, window_.dialogs());
        refreshImageTable();
    }
}

void ImagesTab::showTablePicture(int row) {
    if (row < 0 || row >= static_cast<int>(table_.size()))
        return;
    ImageEntry& entry = table_[static_cast<size_t>(row)];
    if (entry.Address.empty())
        return;
    const auto address = RowPictureAddress(entry, window_.dialogs());
    if (!address)
        return;
    CurrentPicture& cur = window_.current();
    cur.Address = *address;
    if (entry.Dimension.find('*') == std::string::npos)
        return;
    const auto dimension = ParseDimensionText(entry.Dimension);
    if (!dimension) {
        window_.dialogs().errorText(NotAnIntegerText(entry.Dimension));
        return;
    }
    cur.Width = std::clamp(dimension->first, 1, MaxPictureWidth);
    cur.Height = std::clamp(dimension->second, 1, MaxPictureHeight);
    if (entry.Type == "RAW-16") {
        DrawRaw16Dump();
    } else if (entry.Type == "WBMP") {
        DrawWbmp();
    } else {
        DrawImage09();
        entry.Size = std::to_string(cur.Length09);
        Images_->setText(row, 2, QString::fromStdString(entry.Size));
    }
}

void ImagesTab::ImagesClick(int row) {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    showTablePicture(row);
}

void ImagesTab::ImagesDblClick(int row) {
    if (!window_.workspace().FwIsOpen() || Images_->currentColumn() != 0 || row < 0 ||
        row >= static_cast<int>(table_.size()))
        return;
    const QRect cell = Images_->visualRect(Images_->model()->index(row, 0));
    const QPoint topLeft = Images_->viewport()->mapTo(GBTables_, cell.topLeft());
    EImages_->setGeometry(topLeft.x() + 1, topLeft.y() + 1, cell.width() + 1, cell.height() + 1);
    EImages_->setText(Images_->text(row, 0));
    editedRow_ = row;
    EImages_->show();
    EImages_->raise();
    EImages_->setFocus();
}

void ImagesTab::EImagesDone() {
    if (!EImages_->isVisible())
        return;
    EImages_->hide();
    // An empty name, or one the firmware's code page cannot hold, leaves the cell as it was.
    if (!EImages_->text().isEmpty() && editedRow_ >= 0 &&
        editedRow_ < static_cast<int>(table_.size())) {
        if (auto name = ToWin(EImages_->text(), window_.dialogs())) {
            table_[static_cast<size_t>(editedRow_)].Name = std::move(*name);
            Images_->setText(editedRow_, 0, EImages_->text());
        }
    }
    editedRow_ = -1;
    Images_->setFocus();
}

void ImagesTab::MIImageSortNameClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    SortRowsByText<ImageEntry>(table_,
                               [](const ImageEntry& e) -> const std::string& { return e.Name; });
    refreshImageTable();
}

void ImagesTab::MIImageSortAddressClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    SortRowsByNumber<ImageEntry>(
        table_, [](const ImageEntry& e) -> const std::string& { return e.Address; },
        window_.dialogs());
    refreshImageTable();
}

void ImagesTab::MIImageSortTypeClick() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    SortRowsByText<ImageEntry>(table_,
                               [](const ImageEntry& e) -> const std::string& { return e.Type; });
    refreshImageTable();
}

void ImagesTab::MIImageImportSearchedClick() {
    TMainF::Busy busy(window_);
    Workspace& ws = window_.workspace();
    if (!busy || !ws.FwIsOpen())
        return;
    ImportFoundPictures(FirmwareReader(ws), table_, found_, window_.current(), typeChoice(),
                        window_.dialogs());
    refreshImageTable();
}

void ImagesTab::MIImageImportExportClick() {
    openReplacement(selectedTableRow());
}

void ImagesTab::openReplacement(int tableRow) {
    {
        TMainF::Busy busy(window_);
        if (!busy || !window_.workspace().FwIsOpen() || tableRow < 0)
            return;
        // The dialog takes the picture from the phone display, so the row's picture is drawn
        // first: the dialog then always shows the row the user chose.
        showTablePicture(tableRow);
    }
    window_.reImageDialog().open(static_cast<size_t>(tableRow));
}

int ImagesTab::tableRowOfShownPicture(const std::string& name) {
    if (!pictureOnView_)
        return -1;
    const CurrentPicture& cur = window_.current();
    const uint32_t listed = ListedAddress(cur, found_);
    const auto row =
        static_cast<int>(TableRowFor(table_, cur, listed, name.empty() ? ToHexAddr(listed) : name));
    refreshImageTable();
    Images_->selectRow(row);
    return row;
}

void ImagesTab::exportShown(int tableRow) {
    if (tableRow < 0)
        return;
    const ImageEntry& entry = table_[static_cast<size_t>(tableRow)];
    const uint32_t listed = ListedAddress(window_.current(), found_);
    if (const auto path =
            window_.dialogs().saveFile(BmpFilter, ProposedExportName(entry.Name, listed)))
        ExportPicture(window_.workspace(), *path, shownPicture(), window_.dialogs());
}

void ImagesTab::exportFoundPicture(int row) {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen() || row < 0 ||
        row >= static_cast<int>(found_.size()))
        return;
    showFoundPicture(row);
    exportShown(tableRowOfShownPicture("Image_" + std::to_string(row + 1)));
}

void ImagesTab::replaceFoundPicture(int row) {
    int tableRow = -1;
    {
        TMainF::Busy busy(window_);
        if (!busy || !window_.workspace().FwIsOpen() || row < 0 ||
            row >= static_cast<int>(found_.size()))
            return;
        showFoundPicture(row);
        tableRow = tableRowOfShownPicture("Image_" + std::to_string(row + 1));
    }
    openReplacement(tableRow);
}

void ImagesTab::exportShownPicture() {
    TMainF::Busy busy(window_);
    if (!busy || !window_.workspace().FwIsOpen())
        return;
    // A tab change clears the phone display; the picture is drawn again before it is taken.
    RedrawCurrent();
    exportShown(tableRowOfShownPicture({}));
}

void ImagesTab::replaceShownPicture() {
    int tableRow = -1;
    {
        TMainF::Busy busy(window_);
        if (!busy || !window_.workspace().FwIsOpen())
            return;
        RedrawCurrent();
        tableRow = tableRowOfShownPicture({});
    }
    openReplacement(tableRow);
}

void ImagesTab::MIImageChangeAddrClick() {
    const int row = selectedTableRow();
    if (window_.busy() || !window_.workspace().FwIsOpen() || row < 0)
        return;
    window_.changeAddrDialog().open(static_cast<size_t>(row));
    refreshImageTable();
}

} // namespace tovallo::ui
