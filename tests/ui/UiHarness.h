#pragma once

#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace tovallo::testing {

// A main window on a scratch configuration directory with scripted dialogs.
struct UiHarness {
    ScratchDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<ui::TMainF> window;

    // `installed` writes a settings file first, so the About box of the first start stays away.
    explicit UiHarness(bool installed = true, const std::string& extraSettings = {}) {
        if (installed)
            WriteWholeFile(dir.file("Mardek.ini"), "[Main]\nInstalled=1\n" + extraSettings);
        window = std::make_unique<ui::TMainF>(dir.path().string());
        window->setDialogs(&dialogs);
        window->show();
    }

    // Opens `path` through File > Open Firmware.
    void open(const std::string& path) {
        dialogs.files.push_back(path);
        window->OpenFirmware();
    }
};

// The component named `name` under `parent`; the test stops when there is none.
template <class T> T* Find(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    if (!found)
        qFatal("missing component %s", name);
    return found;
}

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

} // namespace tovallo::testing
