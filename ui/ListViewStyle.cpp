#include "ui/ListViewStyle.h"

#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QTreeView>

#include <array>
#include <tuple>

namespace tovallo::ui {

void AddViewStyleItems(QMenu& menu, const QString& prefix,
                       const std::function<void(ListViewStyle)>& choose) {
    const std::array<std::tuple<const char*, const char*, ListViewStyle>, 4> items = {{
        {"SmallIcons", "Small icons", ListViewStyle::SmallIcons},
        {"Icons", "Icons", ListViewStyle::Icons},
        {"List", "List", ListViewStyle::List},
        {"Table", "Table", ListViewStyle::Table},
    }};
    for (const auto& [suffix, caption, style] : items) {
        QAction* action = menu.addAction(caption);
        action->setObjectName(prefix + suffix);
        action->setData(static_cast<int>(style));
        const ListViewStyle chosen = style; // a structured binding cannot be captured
        QObject::connect(action, &QAction::triggered, &menu, [choose, chosen] { choose(chosen); });
    }
}

void ShowViewStyle(QStackedWidget& stack, QListView& icons, QTreeView& table, ListViewStyle style) {
    if (style == ListViewStyle::Table) {
        stack.setCurrentWidget(&table);
        return;
    }
    const bool big = style == ListViewStyle::Icons;
    // The view mode first: it resets the flow and wrapping.
    icons.setViewMode(big ? QListView::IconMode : QListView::ListMode);
    icons.setMovement(QListView::Static);
    icons.setFlow(style == ListViewStyle::List ? QListView::TopToBottom : QListView::LeftToRight);
    icons.setWrapping(true);
    icons.setIconSize(big ? QSize(32, 32) : QSize(16, 16));
    icons.setGridSize(big ? QSize(80, 64) : QSize());
    stack.setCurrentWidget(&icons);
}

} // namespace tovallo::ui
