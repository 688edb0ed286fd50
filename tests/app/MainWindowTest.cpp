#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "gateway/UBoot.h"
#include "gateway/UTopicTemplate.h"
#include "gateway/UParGen.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "gateway/UProfinetFileName.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "shell/UAbout.h"
#include "shell/USoftOptions.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "shell/UNew_Project.h"
#include "shell/UOpenConf.h"
#include "tests/support/TestClocks.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

// Runs `whileOpen` once the next modal window is up (it must close that window).
void whenModal(std::function<void(QWidget*)> whileOpen) {
    QTimer::singleShot(0, [whileOpen] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr) << "no modal window opened";
        whileOpen(w);
    });
}

class MainWindow : public ::testing::Test {
protected:
    TempAppDir app;
    RecordingDialogs rec;

    void start() {
        Create_Forms();
        main = FVelmarineFirmWare;
    }
    void TearDown() override {
        Destroy_Forms();
    }
    void closeMain() { main->close(); }
    QString project(const QString& name) const { return app.path() + QStringLiteral("/PROJECTS/") + name; }

    TFVelmarineFirmWare* main = nullptr;
};

TEST_F(MainWindow, FirstStartCreatesFoldersAndSavesDefaultsAtClose) {
    start();
    for (const char* folder : {"MASTER", "PROJECTS", "LANGUAGE"})
        EXPECT_TRUE(plat::dirExists(app.file(QString::fromLatin1(folder)))) << folder;
    EXPECT_EQ(main->L_Name_Conf->text(), QStringLiteral("None Configuration Opened "));
    EXPECT_EQ(main->L_Name_Conf_L2->text(), QStringLiteral("Use Step1 to open or create new configuration"));
    EXPECT_FALSE(main->Timer_Update.Running());
    EXPECT_EQ(g_LanguageName, QStringLiteral("English"));
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Quorim - Configurator KS73632 - PROFINET / MQTT "));
    EXPECT_EQ(main->L_SW_Code->text(), QStringLiteral("KS73632"));
    EXPECT_EQ(main->ClientWidth(), 694);
    EXPECT_EQ(main->ClientHeight(), 440);
    EXPECT_EQ(main->Shape1->geometry(), QRect(10, 339, 674, 1));
    EXPECT_EQ(main->Btn_CreateBin->geometry(), QRect(80, 288, 170, 36));
    EXPECT_EQ(main->Btn_Close->geometry(), QRect(632, 8, 50, 50));
    EXPECT_EQ(main->Btn_PROFINET_XML->Caption(), QStringLiteral("PROFINET XML"));
    EXPECT_EQ(main->Btn_CreateBin->toolTip(), Text_Table[26]);
    int shownSteps = 0;
    for (const auto& s : main->Steps()) shownSteps += plat::ownVisible(s.button) ? 1 : 0;
    EXPECT_EQ(main->Steps().size(), 30u);
    EXPECT_EQ(shownSteps, 9);
    EXPECT_FALSE(plat::fileExists(app.file(QStringLiteral("Velmarin.xml"))));
    closeMain();
    EXPECT_EQ(readAll(app.file(QStringLiteral("Velmarin.xml"))),
              QByteArray("<Conf_Settings><lastproj><projectname/></lastproj><lastipadd><ipaddress>192.168.2.205"
                         "</ipaddress></lastipadd><lastlang><language>English</language></lastlang><lastinternet>"
                         "<enable_internet>0</enable_internet><enable_update>0</enable_update>"
                         "<enable_jump_field_tables>0</enable_jump_field_tables><Double_Click_Auto_Size>0"
                         "</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
}

TEST_F(MainWindow, SettingsAreReadValueByValue) {
    struct Case {
        const char* name;
        QByteArray file;
        QString project, address, language;
        uint8_t internet, update, jump, autosize;
    } cases[] = {
        {"all values",
         "<Conf_Settings><lastproj><projectname>P1</projectname></lastproj><lastipadd><ipaddress>10.0.0.9</ipaddress>"
         "</lastipadd><lastlang><language>Italiano</language></lastlang><lastinternet><enable_internet>1"
         "</enable_internet><enable_update>1</enable_update><enable_jump_field_tables>1</enable_jump_field_tables>"
         "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet></Conf_Settings>",
         "P1", "10.0.0.9", "Italiano", 1, 1, 1, 1},
        {"no lastinternet",
         "<Conf_Settings><lastipadd><ipaddress>1.2.3.4</ipaddress></lastipadd></Conf_Settings>", "", "1.2.3.4",
         "English", 0, 0, 0, 0},
        {"flag written as a word",
         "<Conf_Settings><lastinternet><enable_internet>true</enable_internet><enable_update>1</enable_update>"
         "</lastinternet></Conf_Settings>",
         "", "192.168.2.205", "English", 0, 1, 0, 0},
        {"declaration first (read normally)",
         "<?xml version=\"1.0\"?><!-- saved --><Conf_Settings><lastlang><language>Deutsch</language></lastlang>"
         "</Conf_Settings>",
         "", "192.168.2.205", "Deutsch", 0, 0, 0, 0},
        {"language without a file",
         "<Conf_Settings><lastlang><language>Klingon</language></lastlang></Conf_Settings>", "", "192.168.2.205",
         "English", 0, 0, 0, 0},
        {"not well-formed", "<Conf_Settings><lastproj>", "", "192.168.2.205", "English", 0, 0, 0, 0},
        {"empty elements",
         "<Conf_Settings><lastipadd><ipaddress/></lastipadd><lastlang><language></language></lastlang>"
         "</Conf_Settings>",
         "", "192.168.2.205", "English", 0, 0, 0, 0},
    };
    // Two languages with a file each; entry 11 tells which file was loaded.
    const QString english11 = [] {
        Load_Default_Language();
        return Text_Table[11];
    }();
    ASSERT_TRUE(plat::forceDirectories(app.file(QStringLiteral("LANGUAGE"))));
    writeAll(app.file(QStringLiteral("LANGUAGE/Italiano.lng")), "STR11 =Configurazione aperta\r\n");
    writeAll(app.file(QStringLiteral("LANGUAGE/Deutsch.lng")), "STR11 =Konfiguration offen\r\n");
    const std::map<QString, QString> entry11 = {{QStringLiteral("English"), english11},
                                                {QStringLiteral("Italiano"), QStringLiteral("Configurazione aperta")},
                                                {QStringLiteral("Deutsch"), QStringLiteral("Konfiguration offen")}};
    for (const Case& c : cases) {
        writeAll(app.file(QStringLiteral("Velmarin.xml")), c.file);
        start();
        SCOPED_TRACE(c.name);
        EXPECT_EQ(g_ProjectName, c.project);
        EXPECT_EQ(g_LastIPAddress, c.address);
        EXPECT_EQ(g_EnableInternet, c.internet);
        EXPECT_EQ(g_EnableUpdate, c.update);
        EXPECT_EQ(g_EnableJumpFieldTables, c.jump);
        EXPECT_EQ(g_DoubleClickAutoSize, c.autosize);
        // The language read is the one loaded; a language without a file falls back to English.
        EXPECT_EQ(g_LanguageName, c.language);
        EXPECT_EQ(Text_Table[11], entry11.at(c.language));
        EXPECT_EQ(main->Timer_Update.Running(), c.internet && c.update);
        EXPECT_EQ(g_ProjectPath, QString());  // no such project folder
        TearDown();
    }
}

TEST_F(MainWindow, ProjectStepsNeedAnOpenProject) {
    start();
    int modalsOpened = 0;
    for (const auto& s : main->Steps()) {
        if (!s.needsProject) continue;
        rec.clear();
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget()) {
                ++modalsOpened;
                QApplication::activeModalWidget()->close();
            }
        });
        probe.start(0);
        main->Btn_Click(s.button);
        EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error! Project not Valid")}) << s.name;
    }
    EXPECT_EQ(modalsOpened, 0);
}

TEST_F(MainWindow, NewProjectCreatesTheFolderAndOpensIt) {
    start();
    whenModal([](QWidget* w) {
        auto* dlg = static_cast<TFNew_Project*>(w);
        EXPECT_EQ(dlg->E_New_Proj->text(), QString());  // emptied at show
        dlg->E_New_Proj->setText(QStringLiteral("Plant 1"));
        dlg->Btn_OK->click();
    });
    main->Btn_Click(main->Btn_New);
    EXPECT_TRUE(rec.errors().isEmpty());
    EXPECT_TRUE(plat::dirExists(project(QStringLiteral("Plant 1/bin"))));
    EXPECT_EQ(QDir(project(QStringLiteral("Plant 1"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("bin")});
    EXPECT_EQ(g_ProjectPath, project(QStringLiteral("Plant 1")));
    EXPECT_EQ(g_ParGenFile, project(QStringLiteral("Plant 1/ParGen.xml")));
    EXPECT_EQ(main->L_Name_Conf->text(), Text_Table[11]);
    EXPECT_EQ(main->L_Name_Conf_L2->text(), QStringLiteral("Plant 1"));
    closeMain();
    EXPECT_TRUE(readAll(app.file(QStringLiteral("Velmarin.xml"))).contains("<projectname>Plant 1</projectname>"));
}

TEST_F(MainWindow, NewProjectRefusesBadNames) {
    start();
    ASSERT_TRUE(QDir().mkpath(project(QStringLiteral("Existing"))));
    struct Case {
        QString name;
        int text;
    } cases[] = {{QString(), 107},
                 {QStringLiteral("Existing"), 106},
                 {QStringLiteral("../x"), 105},
                 {QStringLiteral("a/b"), 105},
                 {QStringLiteral("a\\b"), 105},
                 {QStringLiteral(".."), 105},
                 {QStringLiteral("."), 105},
                 {QStringLiteral("tab\there"), 105}};
    for (const Case& c : cases) {
        rec.clear();
        whenModal([&](QWidget* w) {
            auto* dlg = static_cast<TFNew_Project*>(w);
            dlg->E_New_Proj->setText(c.name);
            dlg->Btn_OK->click();
            EXPECT_TRUE(dlg->isVisible()) << "the dialog stays open";
            EXPECT_EQ(dlg->E_New_Proj->text(), c.name) << "the typed name stays";
            dlg->Btn_Cancel->click();
        });
        main->Btn_Click(main->Btn_New);
        EXPECT_EQ(rec.errors(), QStringList{Text_Table[c.text]}) << c.name.toStdString();
        EXPECT_TRUE(g_ProjectPath.isEmpty());
    }
    EXPECT_FALSE(plat::dirExists(app.file(QStringLiteral("x"))));
    EXPECT_EQ(QDir(project(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Existing")});
}

TEST_F(MainWindow, OpenPreselectsIgnoringCaseAndListsOnlyFolders) {
    for (const char* p : {"alpha", "PLANT"}) ASSERT_TRUE(QDir().mkpath(project(QString::fromLatin1(p))));
    writeAll(project(QStringLiteral("notes.txt")), "x");
    writeAll(app.file(QStringLiteral("Velmarin.xml")),
             "<Conf_Settings><lastproj><projectname>PLANT</projectname></lastproj></Conf_Settings>");
    start();
    ASSERT_EQ(g_ProjectPath, project(QStringLiteral("PLANT")));
    g_ProjectPath = project(QStringLiteral("Plant"));  // the open project as typed in another case
    QStringList listed;
    QString preselected;
    whenModal([&](QWidget* w) {
        auto* dlg = static_cast<TFOpenConf*>(w);
        for (int i = 0; i < dlg->ListBox1->count(); ++i) listed << dlg->ListBox1->item(i)->text();
        preselected = dlg->ListBox1->currentItem() ? dlg->ListBox1->currentItem()->text() : QString();
        dlg->ListBox1->setCurrentRow(listed.indexOf(QStringLiteral("alpha")));
        dlg->Btn_OK->click();
    });
    main->Btn_Click(main->Btn_Open);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("PLANT"), QStringLiteral("alpha")}));
    EXPECT_EQ(preselected, QStringLiteral("PLANT"));
    EXPECT_EQ(g_ProjectName, QStringLiteral("alpha"));
    EXPECT_EQ(g_ProjectPath, project(QStringLiteral("alpha")));
    EXPECT_EQ(g_MQTTSetTopicFile, project(QStringLiteral("alpha/MQTT_Set_Topic.xml")));
}

// Enter in the name's edit is OK: a refused name keeps the dialog open, a good one creates and opens.
TEST_F(MainWindow, EnterInTheNewProjectEditIsOk) {
    start();
    for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        rec.clear();
        const QString name = enter == Qt::Key_Return ? QStringLiteral("Plant 2") : QStringLiteral("Plant 3");
        bool refusedStayedOpen = false;
        whenModal([&](QWidget* w) {
            auto* dlg = static_cast<TFNew_Project*>(w);
            QTest::keyClick(dlg->E_New_Proj, enter);  // still empty: refused
            refusedStayedOpen = dlg->isVisible();
            QTest::keyClicks(dlg->E_New_Proj, name);
            QTest::keyClick(dlg->E_New_Proj, enter);
            if (dlg->isVisible()) dlg->Btn_Cancel->click();
        });
        main->Btn_Click(main->Btn_New);
        EXPECT_TRUE(refusedStayedOpen);
        EXPECT_EQ(rec.errors(), QStringList{Text_Table[107]});
        EXPECT_TRUE(plat::dirExists(project(name + QStringLiteral("/bin")))) << name.toStdString();
        EXPECT_EQ(g_ProjectPath, project(name));
        EXPECT_EQ(main->L_Name_Conf_L2->text(), name);
    }
}

TEST_F(MainWindow, OpenWithNoProjectOpenPreselectsTheFirstFolderListed) {
    for (const char* p : {"beta", "alpha", "gamma"}) ASSERT_TRUE(QDir().mkpath(project(QString::fromLatin1(p))));
    start();
    ASSERT_TRUE(g_ProjectPath.isEmpty());
    QString first, preselected;
    whenModal([&](QWidget* w) {
        auto* dlg = static_cast<TFOpenConf*>(w);
        ASSERT_EQ(dlg->ListBox1->count(), 3);
        first = dlg->ListBox1->item(0)->text();
        preselected = dlg->ListBox1->currentItem() ? dlg->ListBox1->currentItem()->text() : QString();
        dlg->Btn_OK->click();
    });
    main->Btn_Click(main->Btn_Open);
    EXPECT_EQ(preselected, first);
    EXPECT_EQ(FOpenConf->Name_Conf, first);
    EXPECT_EQ(g_ProjectPath, project(first));
    EXPECT_EQ(main->L_Name_Conf_L2->text(), first);
}

// The folder goes away while the list is open: Open reports it and no project is open.
TEST_F(MainWindow, OpenOfAFolderThatVanishedOpensNothing) {
    for (const char* p : {"Old", "Other"}) ASSERT_TRUE(QDir().mkpath(project(QString::fromLatin1(p))));
    writeAll(app.file(QStringLiteral("Velmarin.xml")),
             "<Conf_Settings><lastproj><projectname>Other</projectname></lastproj></Conf_Settings>");
    start();
    ASSERT_EQ(g_ProjectPath, project(QStringLiteral("Other")));
    whenModal([&](QWidget* w) {
        auto* dlg = static_cast<TFOpenConf*>(w);
        const auto found = dlg->ListBox1->findItems(QStringLiteral("Old"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        dlg->ListBox1->setCurrentItem(found.front());
        ASSERT_TRUE(QDir(project(QStringLiteral("Old"))).removeRecursively());
        dlg->Btn_OK->click();
    });
    main->Btn_Click(main->Btn_Open);
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[18]});
    EXPECT_TRUE(g_ProjectPath.isEmpty());
    EXPECT_FALSE(plat::dirExists(project(QStringLiteral("Old"))));  // nothing was created in its place
    EXPECT_EQ(main->L_Name_Conf->text(), Text_Table[9]);
    EXPECT_FALSE(g_ParGenFile.startsWith(project(QStringLiteral("Old"))));
}

TEST_F(MainWindow, OpenWithAnEmptyListLeavesNoProject) {
    start();
    FOpenConf->Name_Conf = QStringLiteral("Stale");  // from an earlier show
    whenModal([](QWidget* w) { static_cast<TFOpenConf*>(w)->Btn_OK->click(); });
    main->Btn_Click(main->Btn_Open);
    EXPECT_TRUE(g_ProjectName.isEmpty());
    EXPECT_TRUE(g_ProjectPath.isEmpty());
    EXPECT_EQ(main->L_Name_Conf->text(), Text_Table[9]);
}

TEST_F(MainWindow, LastProjectReopensOnlyWhileItsFolderExists) {
    ASSERT_TRUE(QDir().mkpath(project(QStringLiteral("Keep"))));
    writeAll(app.file(QStringLiteral("Velmarin.xml")),
             "<Conf_Settings><lastproj><projectname>Keep</projectname></lastproj></Conf_Settings>");
    start();
    EXPECT_EQ(g_ProjectPath, project(QStringLiteral("Keep")));
    EXPECT_EQ(main->L_Name_Conf_L2->text(), QStringLiteral("Keep"));
    closeMain();
    TearDown();

    ASSERT_TRUE(QDir(project(QStringLiteral("Keep"))).removeRecursively());
    start();
    EXPECT_TRUE(g_ProjectPath.isEmpty());
    EXPECT_EQ(main->L_Name_Conf->text(), Text_Table[9]);
    main->Change_Language();
    EXPECT_EQ(main->L_Name_Conf_L2->text(), Text_Table[10]);
    closeMain();
    // The name is written back unchanged.
    EXPECT_TRUE(readAll(app.file(QStringLiteral("Velmarin.xml"))).contains("<projectname>Keep</projectname>"));
}

TEST_F(MainWindow, LanguageChangeRelabelsTheWindows) {
    start();
    writeAll(app.file(QStringLiteral("LANGUAGE/Italiano.lng")),
             "STR0000 = Inizio\r\nSTR0015 = Nuova Configurazione\r\nSTR0009 = \xB6Nessuna configurazione \xB6\r\n"
             "STR0100 = Nuovo progetto\r\nSTR0200 = Apri progetto\r\n");
    g_LanguageName = QStringLiteral("Italiano");
    Load_Language();
    main->Change_Language();
    EXPECT_EQ(main->L_Begin->text(), QStringLiteral("Inizio"));
    EXPECT_EQ(main->Btn_New->Caption(), QStringLiteral("Nuova Configurazione"));
    EXPECT_EQ(main->L_Name_Conf->text(), QStringLiteral("Nessuna configurazione "));
    EXPECT_EQ(main->Btn_Open->Caption(), QStringLiteral("Open Configuration"));  // not in the file: English
    EXPECT_EQ(FNew_Project->windowTitle(), QStringLiteral("Nuovo progetto"));
    EXPECT_EQ(FOpenConf->windowTitle(), QStringLiteral("Apri progetto"));
    closeMain();
    EXPECT_TRUE(readAll(app.file(QStringLiteral("Velmarin.xml"))).contains("<language>Italiano</language>"));
}

TEST_F(MainWindow, StartProgramWaitsReportsAndGivesUp) {
    start();
    const QString quick = app.file(QStringLiteral("quick.sh"));
    const QString held = app.file(QStringLiteral("held.sh"));
    const QString marker = app.file(QStringLiteral("ran"));
    const QString release = app.file(QStringLiteral("release"));
    writeAll(quick, QStringLiteral("#!/bin/sh\necho ok > '%1'\nexit 3\n").arg(marker).toUtf8());
    // Runs until the test lets it go (or its folder goes), so it is certainly still running when the
    // wait gives up; it lets go of the test's output at once, so nothing waits on it after the test.
    writeAll(held, QStringLiteral("#!/bin/sh\nexec >/dev/null 2>&1\nwhile [ -d '%1' ] && [ ! -e '%2' ]; do sleep 0.05; done\n")
                       .arg(app.path(), release)
                       .toUtf8());
    for (const QString& f : {quick, held})
        QFile::setPermissions(f, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The quick program ends long before the 150 s cap: its end, not the cap, ends the wait.
    main->Start_Program(quick, QString(), 0);
    EXPECT_TRUE(plat::fileExists(marker)) << "the wait ended before the program did";
    EXPECT_TRUE(rec.shown.empty()) << "the exit code is not interpreted";

    testing_support::PollClock clock{5000};  // every poll's pause moves it on at once
    g_StartProgramClock = &clock;
    g_StartProgramCapMs = 300;
    main->Start_Program(held, QString(), 0);
    g_StartProgramClock = nullptr;
    g_StartProgramCapMs = 150000;
    writeAll(release, "");
    EXPECT_EQ(clock.now - 5000, 300) << "gives up at the cap";
    EXPECT_EQ(clock.sleeps, std::vector<int>(30, 10)) << "polls every 10 ms";
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_TRUE(rec.shown[0].text.contains(QStringLiteral("still running")));

    rec.clear();
    main->Start_Program(app.file(QStringLiteral("Flash_Loader.exe")), QString(), 0);
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].contains(QStringLiteral("could not be started")));
}

// Each window's caption is its own text and nothing more; every dialog's title strip is laid out
// and coloured alike.
TEST_F(MainWindow, CaptionsAndTitleStripsOfEveryWindow) {
    start();
    const struct {
        plat::TForm* window;
        const char* caption;
        bool strip;
    } cases[] = {
        {main, "Quorim - Configurator KS73632 - PROFINET / MQTT ", false},
        {FNew_Project, "Create New Configuration", true},
        {FOpenConf, "Open Configuration", true},
        {FSoftOptions, "Software Options", true},
        {FAbout, "About...", false},
        {FParGen, "Set Communication", true},
        {FMQTT_Set_Topic, "Set MQTT Topics", true},
        {FTopicTemplate, "Set Topic", true},
        {FBoot, "Update Device by Serial", true},
        {FProfinetFileName, "PROFINET XML File Name", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        ASSERT_NE(c.window, nullptr);
        EXPECT_EQ(c.window->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_TRUE(c.window->Centred());
        if (!c.strip) continue;
        EXPECT_EQ(c.window->TitleStrip()->geometry(), QRect(0, 0, c.window->width(), 69));
        EXPECT_EQ(c.window->L_SW_Code()->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        EXPECT_EQ(c.window->L_SW_Code()->font().pixelSize(), 26);
        EXPECT_FALSE(c.window->L_SW_Desc()->text().isEmpty());
    }
    // The system adds the display name to every caption once it is set: the program sets none.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

TEST_F(MainWindow, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the window";
    start();
    main->show();
    QApplication::processEvents();
    EXPECT_TRUE(main->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/main_window.png")));
}

}  // namespace
