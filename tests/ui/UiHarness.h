#pragma once

#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "images/BmpFile.h"
#include "ui/Grid.h"
#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "workspace/HexText.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace tovallo::testing {

// The component named `name` under `parent`; the test stops when there is none.
template <class T> T* Find(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    if (!found)
        qFatal("missing component %s", name);
    return found;
}

// A main window on a scratch configuration directory with scripted dialogs.
struct UiHarness {
    ScratchDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<ui::TMainF> window;

    // `installed` writes a settings file first, so the About box of the first start stays away.
    explicit UiHarness(bool installed = true, const std::string& extraSettings = {}) {
        if (installed)
            WriteWholeFile(dir.file("Mardek.ini"), "[Main]\nInstalled=1\n" + extraSettings);
        start();
    }

    // A new window on the configuration directory, in place of the one shown.
    void start() {
        window.reset();
        window = std::make_unique<ui::TMainF>(dir.path().string());
        window->setDialogs(&dialogs);
        window->show();
    }

    // Opens `path` through File > Open Firmware.
    void open(const std::string& path) {
        dialogs.files.push_back(path);
        window->OpenFirmware();
    }

    QString text(const char* edit) { return Find<ui::LabelledEdit>(*window, edit)->text(); }
    void type(const char* edit, const QString& text) {
        Find<ui::LabelledEdit>(*window, edit)->setText(text);
    }
    // Writes `picture` as a BMP file in the scratch directory; returns its path.
    std::string writeBmp(const std::string& name, const Picture& picture) {
        std::string error;
        if (!WriteBmpFile(dir.file(name), picture, error))
            qFatal("%s", error.c_str());
        return dir.file(name);
    }
};

inline void Click(QObject& parent, const char* button) {
    QTest::mouseClick(Find<QPushButton>(parent, button), Qt::LeftButton);
}

// Runs `action` once the next modal dialog runs (exec() blocks the test otherwise). A check
// failing inside `action` closes the dialog, so the test reports instead of hanging.
inline void WhenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        action(modal);
        if (modal && QTest::currentTestFailed())
            modal->close();
    });
}

inline QString AddrText(uint32_t at) {
    return QString::fromStdString(ToHexAddr(at));
}
inline std::string Le32Bytes(uint32_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}
// The cells of a grid row from column `first` on.
inline QStringList GridRow(const ui::Grid& grid, int row, int first = 0) {
    QStringList cells;
    for (int c = first; c < grid.columnCount(); ++c)
        cells << grid.text(row, c);
    return cells;
}
// Every cell of a grid, row by row.
inline QStringList GridCells(const ui::Grid& grid) {
    QStringList cells;
    for (int r = 0; r < grid.rowCount(); ++r)
        cells << GridRow(grid, r);
    return cells;
}
inline QString GridTitles(const ui::Grid& grid) {
    QStringList titles;
    for (int c = 0; c < grid.columnCount(); ++c)
        titles << grid.horizontalHeaderItem(c)->text();
    return titles.join('|');
}

} // namespace tovallo::testing
