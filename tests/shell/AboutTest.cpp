#include "platform/Form.h"
#include "controls/FadeButton.h"
#include "shell/UAbout.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/shell/UrlRecorder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

using testing_support::UrlRecorder;

namespace {

class About : public ::testing::Test {
protected:
    void SetUp() override {
        saved = g_MakerWebServer;
        g_MakerWebServer = QStringLiteral("http://www.maker.test:8080");
        dlg.show();
        QApplication::processEvents();
    }
    void TearDown() override { g_MakerWebServer = saved; }
    QString saved;
    TFAbout dlg;
};

TEST_F(About, FixedTextsValuesAndPlaces) {
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("About..."));
    EXPECT_EQ(dlg.ClientWidth(), 425);
    EXPECT_EQ(dlg.ClientHeight(), 148);
    EXPECT_EQ(dlg.palette().color(QPalette::Window), QColor(248, 247, 237));
    const struct {
        QLabel* label;
        QPoint at;
        QString text;
    } rows[] = {
        {dlg.Label1, {128, 24}, QStringLiteral("Software Velmarin ")},
        {dlg.Label2, {128, 39}, QStringLiteral("PROFINET / MQTT - Converter")},
        {dlg.Label6, {128, 62}, QStringLiteral("Software Code : ")},
        {dlg.Label9, {240, 62}, QStringLiteral("KS73632")},
        {dlg.Label3, {128, 77}, QStringLiteral("Version :")},
        {dlg.Label10, {240, 77}, QStringLiteral("1.003")},
        {dlg.Label8, {128, 93}, QStringLiteral("Document Code :")},
        {dlg.Label12, {240, 93}, QStringLiteral("KM73632")},
        {dlg.Label4, {316, 131}, QStringLiteral("maker.test")},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.label->pos(), r.at) << r.label->objectName().toStdString();
        EXPECT_EQ(r.label->text(), r.text) << r.label->objectName().toStdString();
    }
    EXPECT_EQ(dlg.Image2->geometry(), QRect(32, 24, 81, 81));
    EXPECT_FALSE(dlg.Image2->pixmap().isNull());
    EXPECT_EQ(dlg.FadeButton1->geometry(), QRect(32, 115, 81, 22));
    EXPECT_EQ(dlg.FadeButton1->Caption(), QStringLiteral("OK"));
    EXPECT_EQ(dlg.Label4->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_LE(dlg.Label4->geometry().right(), dlg.ClientWidth()) << "the whole address shows";
}

TEST_F(About, TextsDoNotFollowTheLanguage) {
    Text_Table = QStringList(kTextTableSize, QStringLiteral("x"));
    dlg.Set_Lang();
    dlg.hide();
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("About..."));
    EXPECT_EQ(dlg.Label1->text(), QStringLiteral("Software Velmarin "));
    EXPECT_EQ(dlg.Label10->text(), QStringLiteral("1.003"));
    Load_Default_Language();
}

TEST_F(About, LogoAndAddressOpenTheHomePageAndOkCloses) {
    UrlRecorder urls;
    const QString home = QStringLiteral("http://www.maker.test:8080/HOME/default.asp?frompg=KS73632");
    EXPECT_EQ(Home_Page_Address(), home);
    QTest::mouseClick(dlg.Label4, Qt::LeftButton);
    QTest::mouseClick(dlg.Image2, Qt::LeftButton);
    QTest::mouseClick(dlg.Label1, Qt::LeftButton);  // not a link
    EXPECT_EQ(urls.opened, (QStringList{home, home}));
    dlg.FadeButton1->click();
    EXPECT_EQ(dlg.ModalResult(), plat::mrOk);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(About, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the window";
    g_MakerWebServer = QStringLiteral("http://www.quorim.example");
    dlg.hide();
    dlg.show();
    QApplication::processEvents();
    EXPECT_TRUE(dlg.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/about.png")));
}

}  // namespace
