#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tovallo");
    tovallo::ui::TMainF window;
    window.show();
    return QApplication::exec();
}
