// `make screenshot`: the main window with a fixture firmware open on the "Images" tab, its
// picture table read and a picture on the phone display, saved as a PNG of the window. Runs on
// a real X display (Xvfb), a scratch configuration directory and scripted dialogs, so the
// user's settings stay untouched and no About box or message box waits for a click.
#include "ShowcaseScene.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <cstdio>

using namespace tovallo;
using namespace tovallo::testing;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tovallo");
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovallo-screenshot <file.png>\n");
        return 2;
    }
    UiHarness harness;
    const PictureFirmware fw = OpenShowcase(harness);
    ui::TMainF& window = *harness.window;
    const Picture& shown = fw.pictures.back().picture;
    if (!(PhonePixels(window, shown.Width, shown.Height) == shown)) {
        std::fprintf(stderr, "the phone display does not show the fixture picture\n");
        return 1;
    }
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    QTest::qWait(300); // let the last repaints reach the X server
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %dx%d\n", argv[1], shot.width(), shot.height());
    return 0;
}
