#pragma once

#include <QStringList>
#include <QTableWidget>
#include <functional>

class QCheckBox;

namespace tovallo::ui {

// A string grid: one title row (the header) and data rows counted from 0. An empty grid keeps
// one blank data row, which the next added row fills. Rows may carry a light blue check box in
// column 0 that moves with its row.
class Grid : public QTableWidget {
    Q_OBJECT
  public:
    Grid(const QString& name, const QStringList& titles, QWidget* parent);

    QString text(int row, int column) const;
    void setText(int row, int column, const QString& text);
    bool rowEmpty(int row) const { return text(row, 1).isEmpty() && text(row, 0).isEmpty(); }
    int selectedRow() const;
    // The data rows up to the first whose `column` is empty.
    int filledRows(int column = 0) const;

    // Clears every row and its check box, leaving exactly one empty data row.
    void ClearGrid();
    // Returns the row to fill: the last row when its column 1 is still empty, else a new one.
    int AddGridRow(bool withCheckBox);
    // Removes a row, moving the following rows up; the grid keeps at least one data row.
    void DeleteGridRow(int row);

    QCheckBox* rowCheckBox(int row) const;
    bool rowChecked(int row) const;

    // Stable reorders of the data rows (check boxes travel with their rows). Rows with an empty
    // key cell take part like the others. SortRowsByNumber returns false, leaving the order,
    // when a cell is no number.
    void SortRowsByText(int column);
    bool SortRowsByNumber(int column);

    // After the user drags a column border the last column fills the rest of the grid.
    void FitLastColumn();

  signals:
    void rowClicked(int row);
    void rowDoubleClicked(int row);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Row {
        QStringList cells;
        bool hasCheckBox = false;
        bool checked = false;
        QString caption;
    };
    Row takeRow(int row) const;
    void putRow(int row, const Row& data);
    void reorder(const std::function<bool(const Row&, const Row&)>& less);
    void attachCheckBox(int row, const QString& caption, bool checked);
};

} // namespace tovallo::ui
