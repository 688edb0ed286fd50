// The configurator's start as main() runs it (every window created once), its main window closed
// by the probe after its first paint; closing it saves the settings and ends the program.
#include "app/UVelmarineFirmWare.h"
#include "bench/startup/PaintProbe.h"
#include "controls/ExDateTimePicker.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    plat::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Configurator KS73632"));
    ctl::InitExDateTimePickerUnit();
    Create_Forms();
    PaintProbe probe(FVelmarineFirmWare);
    FVelmarineFirmWare->show();
    const int rc = QApplication::exec();
    Destroy_Forms();
    return rc;
}
