// The start-up benchmark's floor: a bare QWidget shown, painted once and closed.
#include <QApplication>
#include <QWidget>

#include "bench/startup/PaintProbe.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(694, 440);  // the main window's client size
    PaintProbe probe(&window);
    window.show();
    return QApplication::exec();
}
