// The configurator's start: the application object, then the main window.
#include "platform/Application.h"

#include <QMainWindow>

int main(int argc, char** argv) {
    plat::Application app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Configurator"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quorim - Configurator KS73632 - PROFINET / MQTT "));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
