// Test entry point: an application object on the offscreen platform with a fixed font and a fixed
// widget style, so widget tests lay out and paint the same everywhere.
#include "platform/Application.h"

#include <QFont>
#include <QStyleFactory>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    plat::Application app(argc, argv);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    return RUN_ALL_TESTS();
}
