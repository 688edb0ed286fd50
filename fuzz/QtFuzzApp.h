#pragma once
// The offscreen application of the fuzz targets that need widgets, made once before the first
// input.
#include <QApplication>
#include <QFont>

// Fonts and icon themes are loaded once and kept for the process's life by the system libraries.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libQt6Core\nleak:libQt6Widgets\nleak:libglib\nleak:libdbus\n";
}

namespace fuzzqt {

// Kept to the end of the process: destroyed among the exit handlers it would outlive Qt's own
// registries. One fixed font keeps text measures alike on every machine.
inline void StartApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(*argc, *argv);
    (void)app;
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
}

}  // namespace fuzzqt
