// The configurator's start: the application object, the main window and then every other window,
// each created once; the program ends when the main window closes.
#include "app/UVelmarineFirmWare.h"
#include "controls/ExDateTimePicker.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    plat::Application app(argc, argv);
    // The name message boxes carry. Not set as the display name: the system would append that
    // to every window's caption.
    QApplication::setApplicationName(QStringLiteral("Configurator KS73632"));
    ctl::InitExDateTimePickerUnit();
    Create_Forms();
    FVelmarineFirmWare->show();
    const int rc = QApplication::exec();
    Destroy_Forms();
    return rc;
}
