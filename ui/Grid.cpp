#include "ui/Grid.h"

#include "ui/TextCodec.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace tovallo::ui {

namespace {

// Light blue 0xF0CAA6 in the platform's BGR layout.
const QColor CheckBoxColour(0xA6, 0xCA, 0xF0);

std::optional<long long> CellNumber(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    if (s.empty())
        return std::nullopt;
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const char* begin = s.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    const long long v = std::strtoll(begin, &end, hex ? 16 : 10);
    if (end == begin || *end != '\0')
        return std::nullopt;
    return v;
}

} // namespace

Grid::Grid(const QString& name, const QStringList& titles, QWidget* parent)
    : QTableWidget(1, static_cast<int>(titles.size()), parent) {
    setObjectName(name);
    setHorizontalHeaderLabels(titles);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    horizontalHeader()->installEventFilter(this);
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) { emit rowClicked(row); });
    connect(this, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { emit rowDoubleClicked(row); });
}

QString Grid::text(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void Grid::setText(int row, int column, const QString& text) {
    if (QTableWidgetItem* cell = item(row, column))
        cell->setText(text);
    else
        setItem(row, column, new QTableWidgetItem(text));
}

int Grid::selectedRow() const {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (!ranges.isEmpty())
        return ranges.first().topRow();
    return currentRow();
}

int Grid::filledRows(int column) const {
    int n = 0;
    while (n < rowCount() && !text(n, column).isEmpty())
        ++n;
    return n;
}

void Grid::ClearGrid() {
    for (int r = 0; r < rowCount(); ++r)
        removeCellWidget(r, 0);
    clearContents();
    setRowCount(1);
}

int Grid::AddGridRow(bool withCheckBox) {
    int row = rowCount() - 1;
    if (row < 0 || !text(row, 1).isEmpty()) {
        ++row;
        setRowCount(row + 1);
    }
    if (withCheckBox)
        attachCheckBox(row, QString::number(row + 1), false);
    return row;
}

void Grid::DeleteGridRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    removeRow(row);
    if (rowCount() == 0)
        setRowCount(1);
}

QCheckBox* Grid::rowCheckBox(int row) const {
    return qobject_cast<QCheckBox*>(cellWidget(row, 0));
}

bool Grid::rowChecked(int row) const {
    const QCheckBox* box = rowCheckBox(row);
    return box != nullptr && box->isChecked();
}

void Grid::attachCheckBox(int row, const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, CheckBoxColour);
    palette.setColor(QPalette::Button, CheckBoxColour);
    box->setPalette(palette);
    box->setChecked(checked);
    setCellWidget(row, 0, box);
}

Grid::Row Grid::takeRow(int row) const {
    Row out;
    for (int c = 0; c < columnCount(); ++c)
        out.cells << text(row, c);
    if (const QCheckBox* box = rowCheckBox(row)) {
        out.hasCheckBox = true;
        out.checked = box->isChecked();
        out.caption = box->text();
    }
    return out;
}

void Grid::putRow(int row, const Row& data) {
    for (int c = 0; c < columnCount(); ++c)
        setText(row, c, data.cells.value(c));
    removeCellWidget(row, 0);
    if (data.hasCheckBox)
        attachCheckBox(row, data.caption, data.checked);
}

void Grid::reorder(const std::function<bool(const Row&, const Row&)>& less) {
    std::vector<Row> rows;
    for (int r = 0; r < rowCount(); ++r)
        rows.push_back(takeRow(r));
    std::stable_sort(rows.begin(), rows.end(), less);
    for (int r = 0; r < rowCount(); ++r)
        putRow(r, rows[static_cast<size_t>(r)]);
}

void Grid::SortRowsByText(int column) {
    // Byte order of the Windows-1251 texts; a text that is a prefix of another comes first. A
    // text the code page lacks (it never reaches the firmware) sorts by its UTF-8 bytes.
    const auto key = [column](const Row& row) {
        const QString& text = row.cells.value(column);
        return ToWin(text).value_or(text.toStdString());
    };
    reorder([&key](const Row& a, const Row& b) {
        const std::string x = key(a);
        const std::string y = key(b);
        return std::lexicographical_compare(
            x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
                return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
            });
    });
}

bool Grid::SortRowsByNumber(int column) {
    if (rowCount() < 2)
        return true;
    for (int r = 0; r < rowCount(); ++r)
        if (!CellNumber(text(r, column)))
            return false;
    reorder([column](const Row& a, const Row& b) {
        return *CellNumber(a.cells.value(column)) < *CellNumber(b.cells.value(column));
    });
    return true;
}

void Grid::FitLastColumn() {
    const int last = columnCount() - 1;
    if (last < 0)
        return;
    int others = 0;
    for (int c = 0; c < last; ++c)
        others += columnWidth(c);
    const int gridLineWidth = showGrid() ? 1 : 0;
    setColumnWidth(last, std::abs(viewport()->width() - others - columnCount() * gridLineWidth));
}

void Grid::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    FitLastColumn();
}

bool Grid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader() && event->type() == QEvent::MouseButtonRelease)
        FitLastColumn();
    return QTableWidget::eventFilter(watched, event);
}

} // namespace tovallo::ui
