#include "gateway/UProfinetFileName.h"

#include "controls/FadeButton.h"
#include "tests/gateway/WriterTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

using writer_test::Dialogs;
using writer_test::Project;

namespace {
const QString kFix1 = QStringLiteral("GSDML-V2.31-Quorim-KG73632");
const QString kFix2 = QStringLiteral("-20260305.xml");
}  // namespace

TEST(ProfinetFileName, ComposesTheThreeParts) {
    const struct {
        const char* why;
        QString user;
        QString name;  // empty: refused
    } cases[] = {
        {"empty user part adds nothing", QString(), kFix1 + kFix2},
        {"blank user part adds nothing", QStringLiteral("   "), kFix1 + kFix2},
        {"leading underscore is not doubled", QStringLiteral("_x"), kFix1 + QStringLiteral("_x") + kFix2},
        {"plain part gets an underscore", QStringLiteral("x"), kFix1 + QStringLiteral("_x") + kFix2},
        {"blanks are kept", QStringLiteral(" x y "), kFix1 + QStringLiteral("_ x y ") + kFix2},
        {"underscore after a blank is not leading", QStringLiteral(" _x"), kFix1 + QStringLiteral("_ _x") + kFix2},
        {"non-ASCII letters are fine", QStringLiteral("Linea-é"), kFix1 + QStringLiteral("_Linea-é") + kFix2},
        {"slash refused", QStringLiteral("a/b"), QString()},
        {"parent folder refused", QStringLiteral("../x"), QString()},
        {"backslash refused", QStringLiteral("a\\b"), QString()},
        {"tab inside refused", QStringLiteral("a\tb"), QString()},
        {"control character refused", QStringLiteral("a") + QChar(0x01), QString()},
        {"DEL refused", QStringLiteral("a") + QChar(0x7F), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFProfinetFileName::Compose_Name(kFix1, c.user, kFix2), c.name) << c.why;
}

TEST(ProfinetFileName, CreationSetsFixedPartsSizeAndTexts) {
    Project project;
    TFProfinetFileName form(nullptr, QDate(2026, 3, 5));
    EXPECT_EQ(form.L_XML_Fix1->text(), kFix1);
    EXPECT_EQ(form.L_XML_Fix2->text(), kFix2);
    EXPECT_EQ(form.ClientWidth(), 540);
    EXPECT_EQ(form.ClientHeight(), 205);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("PROFINET XML File Name"));
    EXPECT_EQ(form.L_SW_Desc()->text(), QStringLiteral("Create the PROFINET XML GSD File"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Select the PROFINET XML File Name"));
    EXPECT_EQ(form.Label4->text(), QStringLiteral("User Part"));
    EXPECT_EQ(form.Btn_Cancel->toolTip(), QStringLiteral("Exit without save the GSDML File"));
    EXPECT_EQ(form.E_XML_User->toolTip(), QStringLiteral("Insert here the User part of GSDML file"));

    // A language change relabels the window.
    Text_Table[3406] = QStringLiteral("Parte Utente");
    form.Set_Lang();
    EXPECT_EQ(form.Label4->text(), QStringLiteral("Parte Utente"));
}

TEST(ProfinetFileName, OkClosesWithTheNameOrRefusesAndStaysOpen) {
    Project project;
    Dialogs dialogs;
    TFProfinetFileName form(nullptr, QDate(2026, 3, 5));

    QTimer::singleShot(0, &form, [&] {
        EXPECT_EQ(form.focusWidget(), form.E_XML_User);  // opens on the part the user types
        form.E_XML_User->setText(QStringLiteral("a/b"));
        form.Btn_OK->click();
        // Refused: still open, the name not set.
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(dialogs.errors.size(), 1);
        form.E_XML_User->setText(QStringLiteral("Line4"));
        form.Btn_OK->click();
    });
    EXPECT_EQ(form.ShowModal(), plat::mrOk);
    EXPECT_EQ(form.Name_File_XML, kFix1 + QStringLiteral("_Line4") + kFix2);

    // Shown again: the user part is still there; Cancel keeps the last name.
    QTimer::singleShot(0, &form, [&] {
        EXPECT_EQ(form.E_XML_User->text(), QStringLiteral("Line4"));
        form.E_XML_User->setText(QStringLiteral("other"));
        form.Btn_Cancel->click();
    });
    EXPECT_EQ(form.ShowModal(), plat::mrCancel);
    EXPECT_EQ(form.Name_File_XML, kFix1 + QStringLiteral("_Line4") + kFix2);
}

TEST(ProfinetFileName, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the window";
    Project project;
    const QString savedCode = g_SWCode;
    g_SWCode = QStringLiteral("KS73632");
    TFProfinetFileName form(nullptr, QDate(2026, 3, 5));
    g_SWCode = savedCode;
    QTimer::singleShot(0, &form, [&] {
        form.E_XML_User->setText(QStringLiteral("Line4"));
        EXPECT_TRUE(form.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/profinet-name.png")));
        form.Btn_Cancel->click();
    });
    form.ShowModal();
}
