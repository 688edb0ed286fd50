#include "platform/Files.h"
#include "controls/FadeButton.h"
#include "platform/Form.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "shell/USoftOptions.h"
#include "tests/shell/LoopbackHttpServer.h"
#include "tests/shell/UrlRecorder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

using testing_support::LoopbackHttpServer;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::UrlRecorder;
using testing_support::writeAll;

namespace {

void writeFlag(const QString& path, QColor colour) {
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(Qt::white);  // the bottom-left colour: drawn transparent
    for (int y = 8; y < 40; ++y)
        for (int x = 4; x < 44; ++x) image.setPixelColor(x, y, colour);
    ASSERT_TRUE(image.save(path, "BMP"));
}

QColor flagColour(const QLabel* picture) {
    const QPixmap p = picture->pixmap();
    if (p.isNull()) return QColor();
    return p.toImage().pixelColor(24, 24);
}

class SoftOptions : public ::testing::Test {
protected:
    void SetUp() override {
        Set_App_Folders(app.path());
        ASSERT_TRUE(plat::createDir(g_LanguagePath));
        g_LanguageName = QStringLiteral("English");
        g_EnableInternet = g_EnableUpdate = g_EnableJumpFieldTables = g_DoubleClickAutoSize = 0;
        Load_Default_Language();
        savedServer = g_MakerWebServer;
        savedCode = g_SWCode;
        // The main window sets the code before any dialog exists; the dialog copies it when created.
        g_SWCode = QStringLiteral("KS73632");
        dlg = new TFSoftOptions;
        dlg->Change_Language = [this] {
            ++relabels;
            dlg->Set_Lang();
        };
    }
    void TearDown() override {
        delete dlg;
        g_MakerWebServer = savedServer;
        g_SWCode = savedCode;
        g_LanguageName = QStringLiteral("English");
        Load_Default_Language();
    }
    void language(const QString& name, const QByteArray& lines = QByteArray()) {
        writeAll(g_LanguagePath + u'/' + name + QStringLiteral(".lng"), lines);
    }
    void show() {
        dlg->show();
        QApplication::processEvents();
    }
    QStringList slotNames() const {
        QStringList names;
        for (int k = 0; k < 6; ++k)
            if (plat::ownVisible(dlg->L_L[k])) names << dlg->L_L[k]->text();
        return names;
    }

    TempAppDir app;
    RecordingDialogs rec;
    TFSoftOptions* dlg = nullptr;
    int relabels = 0;
    QString savedServer;
    QString savedCode;
};

TEST_F(SoftOptions, LabelsAndLayout) {
    show();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Software Options"));
    EXPECT_EQ(dlg->ClientWidth(), 509);
    EXPECT_EQ(dlg->ClientHeight(), 373);
    EXPECT_EQ(dlg->L_SW_Code()->text(), QStringLiteral("KS73632"));
    EXPECT_EQ(dlg->PC_Options->count(), 3);
    EXPECT_EQ(dlg->PC_Options->tabText(0), QStringLiteral("Language"));
    EXPECT_EQ(dlg->PC_Options->tabText(1), QStringLiteral("Connection Options"));
    EXPECT_EQ(dlg->PC_Options->tabText(2), QStringLiteral("Software Settings"));
    EXPECT_TRUE(dlg->PC_Options->isTabVisible(1));
    EXPECT_EQ(dlg->PC_Options->currentWidget(), dlg->TS_Language);
    EXPECT_EQ(dlg->CB_En_Con->text(), QStringLiteral("Enable Internet Connection"));
    EXPECT_EQ(dlg->CB_Update->text(), QStringLiteral("Check Software Update at Start of Program"));
    EXPECT_EQ(dlg->Btn_Check_Update->Caption(), QStringLiteral("Check Available Update"));
    EXPECT_EQ(dlg->CB_Soft_Set_Jump_Table->text(), Text_Table[320]);
    EXPECT_EQ(dlg->CB_DoubleClick_Auto_Size->text(), Text_Table[321]);
    EXPECT_EQ(dlg->Btn_Prev->Caption(), QStringLiteral("Previous"));
    EXPECT_EQ(dlg->Btn_Next->Caption(), QStringLiteral("Next"));
    EXPECT_EQ(dlg->Btn_OK->Caption(), QStringLiteral("OK"));
    EXPECT_EQ(dlg->Btn_Cancel->Caption(), QStringLiteral("Cancel"));
    const struct {
        QWidget* w;
        QPoint at;
    } places[] = {{dlg->I_L[0], {24, 40}},   {dlg->L_L[0], {80, 56}},   {dlg->I_L[1], {26, 94}},
                  {dlg->L_L[1], {80, 110}},  {dlg->I_L[2], {24, 148}},  {dlg->L_L[2], {80, 164}},
                  {dlg->I_L[3], {254, 40}},  {dlg->L_L[3], {310, 56}},  {dlg->I_L[4], {254, 94}},
                  {dlg->L_L[4], {310, 110}}, {dlg->I_L[5], {254, 148}}, {dlg->L_L[5], {310, 164}},
                  {dlg->L_Page_Lang, {220, 212}}, {dlg->Btn_Prev, {12, 204}}, {dlg->Btn_Next, {379, 205}}};
    for (const auto& p : places) EXPECT_EQ(p.w->pos(), p.at) << p.w->objectName().toStdString();
    for (QLabel* picture : dlg->I_L) EXPECT_EQ(picture->size(), QSize(48, 48));
}

TEST_F(SoftOptions, PagesFollowTheNumberOfLanguageFiles) {
    struct Case {
        int files;
        QString counter;    // on page 1
        bool nextOnFirst;
        int lastPage;
        int slotsOnLast;    // visible slots on the last page
    } cases[] = {
        {0, QStringLiteral("Page 1 / 0"), true, 1, 1},  // slot 1 stays, without a language
        {1, QStringLiteral("Page 1 / 1"), false, 1, 1},
        {6, QStringLiteral("Page 1 / 1"), false, 1, 6},
        {7, QStringLiteral("Page 1 / 2"), true, 2, 1},
        {12, QStringLiteral("Page 1 / 2"), true, 2, 6},
        {13, QStringLiteral("Page 1 / 3"), true, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.files);
        QDir(g_LanguagePath).removeRecursively();
        ASSERT_TRUE(plat::createDir(g_LanguagePath));
        for (int i = 1; i <= c.files; ++i) language(QStringLiteral("L%1").arg(i, 2, 10, QChar(u'0')));
        dlg->hide();
        show();
        EXPECT_EQ(dlg->L_Page_Lang->text(), c.counter);
        EXPECT_FALSE(plat::ownVisible(dlg->Btn_Prev));
        EXPECT_EQ(plat::ownVisible(dlg->Btn_Next), c.nextOnFirst);
        for (int i = 1; i < c.lastPage + 2; ++i) dlg->Btn_Next->click();  // one click too many does nothing
        EXPECT_EQ(dlg->Show_Page, c.lastPage);
        EXPECT_EQ(slotNames().size(), c.slotsOnLast);
        if (c.files == 0) {
            EXPECT_EQ(slotNames(), QStringList{QString()});
            dlg->LangClick(1);  // nothing stands there
            EXPECT_TRUE(rec.shown.empty());
        }
    }
}

TEST_F(SoftOptions, SevenLanguagesMakeTwoPages) {
    for (const char* name : {"Polski", "Deutsch", "english", "Espanol", "Francais", "Italiano", "Nederlands"})
        language(QString::fromLatin1(name));
    // Not languages: another extension, the extension in other case, a folder.
    writeAll(g_LanguagePath + QStringLiteral("/readme.txt"), "x");
    writeAll(g_LanguagePath + QStringLiteral("/Upper.LNG"), "x");
    ASSERT_TRUE(plat::createDir(g_LanguagePath + QStringLiteral("/Old.lng")));
    writeFlag(g_LanguagePath + QStringLiteral("/Deutsch.bmp"), Qt::red);
    writeFlag(g_LanguagePath + QStringLiteral("/DefaultFlag.bmp"), Qt::blue);
    show();

    EXPECT_EQ(dlg->SL_Languages.size(), 7);
    EXPECT_EQ(slotNames(), (QStringList{QStringLiteral("Deutsch"), QStringLiteral("english"), QStringLiteral("Espanol"),
                                        QStringLiteral("Francais"), QStringLiteral("Italiano"),
                                        QStringLiteral("Nederlands")}));
    EXPECT_EQ(dlg->L_Page_Lang->text(), QStringLiteral("Page 1 / 2"));
    EXPECT_EQ(dlg->L_Sel_Lang->text(), QStringLiteral("Selected Language : English"));
    EXPECT_FALSE(plat::ownVisible(dlg->Btn_Prev));
    EXPECT_TRUE(plat::ownVisible(dlg->Btn_Next));
    EXPECT_EQ(flagColour(dlg->I_L[0]), QColor(Qt::red));   // its own flag
    EXPECT_EQ(flagColour(dlg->I_L[1]), QColor(Qt::blue));  // the default flag
    EXPECT_EQ(flagColour(dlg->I_L[5]), QColor(Qt::blue));
    // The background of a flag is transparent.
    EXPECT_EQ(dlg->I_L[0]->pixmap().toImage().pixelColor(0, 0).alpha(), 0);

    dlg->Btn_Next->click();
    EXPECT_EQ(slotNames(), QStringList{QStringLiteral("Polski")});
    EXPECT_EQ(dlg->L_Page_Lang->text(), QStringLiteral("Page 2 / 2"));
    EXPECT_TRUE(plat::ownVisible(dlg->Btn_Prev));
    EXPECT_FALSE(plat::ownVisible(dlg->Btn_Next));
    EXPECT_TRUE(plat::ownVisible(dlg->I_L[0]));
    for (int k = 1; k < 6; ++k) EXPECT_FALSE(plat::ownVisible(dlg->I_L[k])) << k;

    // A slot of page 2 names the seventh language; an empty slot does nothing.
    dlg->LangClick(2);
    EXPECT_TRUE(rec.shown.empty());
    dlg->LangClick(1);
    ASSERT_EQ(rec.texts(), QStringList{QStringLiteral("Do you want to change the Language from English to Polski?")});

    dlg->Btn_Prev->click();
    dlg->Btn_Prev->click();
    EXPECT_EQ(dlg->Show_Page, 1);
    EXPECT_EQ(slotNames().size(), 6);

    // Without a default flag a language without its own flag shows its name only.
    QFile::remove(g_LanguagePath + QStringLiteral("/DefaultFlag.bmp"));
    dlg->hide();
    show();
    EXPECT_TRUE(plat::ownVisible(dlg->I_L[0]));
    EXPECT_FALSE(plat::ownVisible(dlg->I_L[1]));
    EXPECT_TRUE(plat::ownVisible(dlg->L_L[1]));
}

TEST_F(SoftOptions, LanguageQuestionNoChangesNothingYesRelabels) {
    language(QStringLiteral("English"));
    language(QStringLiteral("Italiano"), "STR0000 = Inizio\r\nSTR0300 = Opzioni\r\nSTR0304 = Lingua : \xB6\r\n"
                                         "STR0305 = Pagina \xB6\r\nSTR0306 = \xB6 di \xB6\r\n");
    show();
    ASSERT_EQ(slotNames(), (QStringList{QStringLiteral("English"), QStringLiteral("Italiano")}));

    // No: no text, no label, no setting changes.
    rec.answers = {plat::Answer::No};
    QTest::mouseClick(dlg->L_L[1], Qt::LeftButton);
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Do you want to change the Language from English to Italiano?")});
    EXPECT_EQ(dlg->Language_In_Use, QStringLiteral("English"));
    EXPECT_EQ(Text_Table[0], QStringLiteral("Begin"));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Software Options"));
    EXPECT_EQ(relabels, 0);

    // The language in use is asked about all the same.
    rec.clear();
    QTest::mouseClick(dlg->L_L[0], Qt::LeftButton);
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Do you want to change the Language from English to English?")});

    // Yes: every window takes the new texts; the setting waits for OK.
    rec.clear();
    rec.answers = {plat::Answer::Yes};
    dlg->LangClick(2);
    EXPECT_EQ(relabels, 1);
    EXPECT_EQ(Text_Table[0], QStringLiteral("Inizio"));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Opzioni"));
    EXPECT_EQ(dlg->Language_In_Use, QStringLiteral("Italiano"));
    EXPECT_EQ(dlg->L_Sel_Lang->text(), QStringLiteral("Lingua : Italiano"));
    EXPECT_EQ(dlg->L_Page_Lang->text(), QStringLiteral("Pagina 1 di 1"));
    EXPECT_EQ(g_LanguageName, QStringLiteral("English"));

    dlg->Btn_Cancel->click();
    EXPECT_EQ(dlg->ModalResult(), plat::mrCancel);
    EXPECT_EQ(g_LanguageName, QStringLiteral("English"));
    EXPECT_EQ(Text_Table[0], QStringLiteral("Inizio")) << "a cancelled choice stays on screen";

    // The next show starts from the saved language again; OK commits the choice.
    show();
    EXPECT_EQ(dlg->Language_In_Use, QStringLiteral("English"));
    rec.answers = {plat::Answer::Yes};
    dlg->LangClick(2);
    dlg->Btn_OK->click();
    EXPECT_EQ(dlg->ModalResult(), plat::mrOk);
    EXPECT_EQ(g_LanguageName, QStringLiteral("Italiano"));
}

TEST_F(SoftOptions, PageCounterKeepsThePageAfterALanguageChange) {
    for (int i = 1; i <= 7; ++i) language(QStringLiteral("L%1").arg(i));
    language(QStringLiteral("Zulu"), "STR0305 = Ikhasi \xB6\r\n");
    show();
    dlg->Btn_Next->click();
    rec.answers = {plat::Answer::Yes};
    dlg->LangClick(2);  // Zulu, the eighth
    EXPECT_EQ(dlg->Language_In_Use, QStringLiteral("Zulu"));
    EXPECT_EQ(dlg->L_Page_Lang->text(), QStringLiteral("Ikhasi 2 / 2"));
    EXPECT_TRUE(plat::ownVisible(dlg->Btn_Prev));
}

TEST_F(SoftOptions, OkCommitsTheOptionsAndCancelKeepsThem) {
    struct Case {
        const char* name;
        uint8_t before[4];
        bool click[4];  // toggle CB_En_Con, CB_Update, CB_Soft_Set_Jump_Table, CB_DoubleClick_Auto_Size
        bool ok;
        uint8_t after[4];
    } cases[] = {
        {"ok switches everything on", {0, 0, 0, 0}, {true, true, true, true}, true, {1, 1, 1, 1}},
        {"ok switches some off", {1, 1, 1, 1}, {true, false, false, true}, true, {0, 1, 1, 0}},
        {"ok without a change", {1, 0, 1, 0}, {false, false, false, false}, true, {1, 0, 1, 0}},
        {"cancel keeps the saved values", {0, 1, 0, 1}, {true, true, true, true}, false, {0, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_EnableInternet = c.before[0];
        g_EnableUpdate = c.before[1];
        g_EnableJumpFieldTables = c.before[2];
        g_DoubleClickAutoSize = c.before[3];
        dlg->hide();
        show();
        QCheckBox* boxes[] = {dlg->CB_En_Con, dlg->CB_Update, dlg->CB_Soft_Set_Jump_Table,
                              dlg->CB_DoubleClick_Auto_Size};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(boxes[i]->isChecked(), c.before[i] != 0) << i;
            if (c.click[i]) boxes[i]->setChecked(!boxes[i]->isChecked());
        }
        (c.ok ? dlg->Btn_OK : dlg->Btn_Cancel)->click();
        EXPECT_EQ(dlg->ModalResult(), c.ok ? plat::mrOk : plat::mrCancel);
        EXPECT_EQ(g_EnableInternet, c.after[0]);
        EXPECT_EQ(g_EnableUpdate, c.after[1]);
        EXPECT_EQ(g_EnableJumpFieldTables, c.after[2]);
        EXPECT_EQ(g_DoubleClickAutoSize, c.after[3]);
        EXPECT_EQ(g_LanguageName, QStringLiteral("English"));
    }
}

TEST_F(SoftOptions, InternetOffDisablesTheUpdateControls) {
    struct Case {
        bool internet, update;
        bool updateEnabled, checkEnabled;
    } cases[] = {
        {false, false, false, false},
        {false, true, false, false},  // whatever the update box shows
        {true, false, true, false},
        {true, true, true, true},
    };
    show();
    for (const Case& c : cases) {
        dlg->CB_Update->setChecked(c.update);
        dlg->CB_En_Con->setChecked(c.internet);
        EXPECT_EQ(plat::ownEnabled(dlg->CB_Update), c.updateEnabled) << c.internet << c.update;
        EXPECT_EQ(plat::ownEnabled(dlg->Btn_Check_Update), c.checkEnabled) << c.internet << c.update;
    }
    // Also when the values come from the settings at show.
    g_EnableInternet = 0;
    g_EnableUpdate = 1;
    dlg->hide();
    show();
    EXPECT_FALSE(plat::ownEnabled(dlg->CB_Update));
    EXPECT_FALSE(plat::ownEnabled(dlg->Btn_Check_Update));
}

TEST_F(SoftOptions, CheckNowShowsTheResultAndItsLink) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.ok());
    g_MakerWebServer = server.address();
    UrlRecorder urls;
    g_EnableInternet = g_EnableUpdate = 1;
    show();
    EXPECT_FALSE(plat::ownVisible(dlg->LL_Check_Update));
    dlg->PC_Options->setCurrentWidget(dlg->TS_Con_Options);  // the button answers only on its shown page

    server.answer(LoopbackHttpServer::reply(200, "VER. 1.004"));
    dlg->Btn_Check_Update->click();
    EXPECT_TRUE(plat::ownVisible(dlg->LL_Check_Update));
    const QString page = server.address() + QStringLiteral("/Home/download/download.asp#KG73632");
    EXPECT_EQ(Download_Page_Address(), page);
    EXPECT_EQ(dlg->LL_Check_Update->text(),
              QStringLiteral("<a href=\"%1\">New Version Available. Click Here for more Details</a>").arg(page));
    emit dlg->LL_Check_Update->linkActivated(page);
    EXPECT_EQ(urls.opened, QStringList{page});

    server.answer(LoopbackHttpServer::reply(200, "VER. 1.003"));
    dlg->Btn_Check_Update->click();
    EXPECT_EQ(dlg->LL_Check_Update->text(), QStringLiteral("No Update Available"));
    EXPECT_EQ(dlg->LL_Check_Update->textFormat(), Qt::PlainText);

    // Each show hides the result again.
    dlg->hide();
    show();
    EXPECT_FALSE(plat::ownVisible(dlg->LL_Check_Update));
}

TEST_F(SoftOptions, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the window";
    for (const char* name : {"Deutsch", "English", "Espanol", "Francais", "Italiano", "Nederlands", "Polski"})
        language(QString::fromLatin1(name));
    writeFlag(g_LanguagePath + QStringLiteral("/Italiano.bmp"), QColor(0, 140, 69));
    writeFlag(g_LanguagePath + QStringLiteral("/DefaultFlag.bmp"), QColor(90, 120, 200));
    g_EnableInternet = 1;
    show();
    EXPECT_TRUE(dlg->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/options_language.png")));
    dlg->PC_Options->setCurrentWidget(dlg->TS_Con_Options);
    dlg->LL_Check_Update->setText(Text_Table[315]);
    dlg->LL_Check_Update->show();
    EXPECT_TRUE(dlg->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/options_connection.png")));
    dlg->PC_Options->setCurrentWidget(dlg->TS_Soft_Settings);
    EXPECT_TRUE(dlg->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/options_tables.png")));
}

}  // namespace
