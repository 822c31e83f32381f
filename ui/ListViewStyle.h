#pragma once

#include <QString>
#include <functional>

class QMenu;
class QStackedWidget;
class QListView;
class QTreeView;

namespace tovallo::ui {

// The looks of a file list (the computer's files, the phone's files), by their menu tags.
enum class ListViewStyle { SmallIcons = 1, Icons = 2, List = 3, Table = 4 };

// Adds "Small icons", "Icons", "List" and "Table" to `menu`, named `prefix` + "SmallIcons",
// "Icons", "List", "Table"; each item calls `choose` with its style.
void AddViewStyleItems(QMenu& menu, const QString& prefix,
                       const std::function<void(ListViewStyle)>& choose);

// Shows `style` in `stack`: the table view, or the icon view in one of its three looks.
void ShowViewStyle(QStackedWidget& stack, QListView& icons, QTreeView& table, ListViewStyle style);

} // namespace tovallo::ui
