#pragma once
// A project folder with the file paths set, recorded message boxes, and xmllint as the independent
// reader of what a window wrote.
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QWidget>

namespace building_tests {

// What xmllint reads at an XPath of a file.
inline QString xpath(const QString& file, const QString& expression) {
    QProcess p;
    p.start(QStringLiteral("xmllint"), {QStringLiteral("--xpath"), expression, file});
    p.waitForFinished(60000);  // xmllint sets the time; the bound only ends a run that hangs
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A string value read by xmllint, without the line end it adds.
inline QString xvalue(const QString& file, const QString& expression) {
    QString v = xpath(file, expression);
    if (v.endsWith(u'\n')) v.chop(1);
    return v;
}

class ListWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_SWCode = QStringLiteral("KS73632");
        g_ProjectPath = app.path();
        Set_Files();
        g_RowClipboard.clear();
    }
    void TearDown() override {
        g_ProjectPath.clear();
        Set_Files();
    }
    // Shows the window as its step does, without blocking; FormShow runs on the way.
    static void open(QWidget& form) {
        form.hide();
        form.show();
        QApplication::processEvents();
    }

    testing_support::TempAppDir app;
    testing_support::RecordingDialogs rec;
};

}  // namespace building_tests
