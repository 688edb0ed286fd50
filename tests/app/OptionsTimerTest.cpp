#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "platform/Files.h"
#include "platform/Timer.h"
#include "shell/UAbout.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "shell/UNew_Project.h"
#include "shell/UOpenConf.h"
#include "shell/USoftOptions.h"
#include "tests/shell/LoopbackHttpServer.h"
#include "tests/support/TestClocks.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <functional>

using testing_support::LoopbackHttpServer;
using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

constexpr int kFirstCheck = 60000;
constexpr int kLaterChecks = 7200000;
// A server that answers is never cut short, however loaded the machine; one that stays silent is
// given up on at its time-out on a driven clock, which moves on a second at every reading.
constexpr int kAnsweredTimeoutMs = 60000;
constexpr int kSilentTimeoutMs = 10000;
constexpr int kClockStepMs = 1000;

// Runs `whileOpen` once the next modal window is up (it must close that window).
void whenModal(std::function<void(QWidget*)> whileOpen) {
    QTimer::singleShot(0, [whileOpen] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr) << "no modal window opened";
        whileOpen(w);
    });
}

QByteArray settings(bool internet, bool update) {
    return "<Conf_Settings><lastinternet><enable_internet>" + QByteArray(internet ? "1" : "0") +
           "</enable_internet><enable_update>" + QByteArray(update ? "1" : "0") +
           "</enable_update></lastinternet></Conf_Settings>";
}

class Options : public ::testing::Test {
protected:
    // The update timer never counts real time here: the tests fire it.
    void SetUp() override {
        ASSERT_TRUE(server.ok());
        savedServer = g_MakerWebServer;
        g_MakerWebServer = server.address();
        wasManual = plat::TTimer::Manual();
        plat::TTimer::SetManual(true);
    }
    void TearDown() override {
        Destroy_Forms();
        g_MakerWebServer = savedServer;
        plat::TTimer::SetManual(wasManual);
    }
    void start(const QByteArray& settingsFile = QByteArray()) {
        if (!settingsFile.isEmpty()) writeAll(app.file(QStringLiteral("Velmarin.xml")), settingsFile);
        Create_Forms();
        main = FVelmarineFirmWare;
        FSoftOptions->Http_Timeout_Ms = kAnsweredTimeoutMs;
    }
    // Opens the options from the main window, sets the two connection boxes and leaves with OK or
    // Cancel.
    void options(bool internet, bool update, bool ok) {
        whenModal([=](QWidget* w) {
            ASSERT_EQ(w, FSoftOptions);
            FSoftOptions->CB_En_Con->setChecked(internet);
            FSoftOptions->CB_Update->setChecked(update);
            (ok ? FSoftOptions->Btn_OK : FSoftOptions->Btn_Cancel)->click();
        });
        main->Btn_Click(main->Btn_Opz);
    }
    QString updateLink() const {
        return QStringLiteral("<a href=\"%1/Home/download/download.asp#KG73632\">%2</a>")
            .arg(server.address(), Text_Table[19]);
    }

    TempAppDir app;
    RecordingDialogs rec;
    LoopbackHttpServer server;
    QString savedServer;
    TFVelmarineFirmWare* main = nullptr;
    bool wasManual = false;
};

TEST_F(Options, WindowsAreCreatedInTheProgramsOrder) {
    start();
    ASSERT_NE(FAbout, nullptr);
    ASSERT_NE(FSoftOptions, nullptr);
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    EXPECT_LT(at(FOpenConf), at(FAbout));
    EXPECT_LT(at(FAbout), at(FSoftOptions));
    // The options dialog is relabelled right after the open dialog; the about box never is.
    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    ASSERT_GE(relabelled.size(), 4u);
    const std::vector<plat::TForm*> expected = {main, FNew_Project, FOpenConf, FSoftOptions};
    EXPECT_EQ(std::vector<plat::TForm*>(relabelled.begin(), relabelled.begin() + 4), expected);
    EXPECT_EQ(std::count(relabelled.begin(), relabelled.end(), FAbout), 0);
}

TEST_F(Options, TimerFirstAfterSixtySecondsThenEveryTwoHours) {
    start(settings(true, true));
    EXPECT_TRUE(main->Timer_Update.Running());
    EXPECT_EQ(main->Timer_Update.Interval(), kFirstCheck);
    EXPECT_FALSE(plat::ownVisible(main->LL_Update));

    struct Tick {
        const char* name;
        QByteArray answer;  // empty: the server never answers
        bool link;
    } ticks[] = {
        {"newer version", LoopbackHttpServer::reply(200, "VER. 1.004"), true},
        {"same version", LoopbackHttpServer::reply(200, "VER. 1.003"), false},
        {"newer again", LoopbackHttpServer::reply(200, "VER. 2.000"), true},
        {"server error", LoopbackHttpServer::reply(500, "VER. 2.000"), false},
        {"newer again", LoopbackHttpServer::reply(200, "VER. 2.000"), true},
        {"server silent", QByteArray(), false},
    };
    int requests = 0;
    for (const Tick& t : ticks) {
        SCOPED_TRACE(t.name);
        const bool silent = t.answer.isEmpty();
        if (silent)
            server.silent();
        else
            server.answer(t.answer);
        FSoftOptions->Http_Timeout_Ms = silent ? kSilentTimeoutMs : kAnsweredTimeoutMs;
        testing_support::SteppingClock clock{kClockStepMs};
        FSoftOptions->Http_Clock = silent ? &clock : nullptr;
        const int starts = main->Timer_Update.Starts();
        ASSERT_TRUE(main->Timer_Update.Fire());
        FSoftOptions->Http_Clock = nullptr;
        // A silent server holds the tick until the check's own time-out, which ends it.
        if (silent) {
            EXPECT_GE(clock.now, kSilentTimeoutMs);
            EXPECT_LE(clock.now, kSilentTimeoutMs + 2 * kClockStepMs);
        }
        EXPECT_EQ(int(server.requests().size()), ++requests);
        EXPECT_EQ(plat::ownVisible(main->LL_Update), t.link);
        if (t.link) {
            EXPECT_EQ(main->LL_Update->text(), updateLink());
            EXPECT_LE(main->LL_Update->geometry().right(), main->ClientWidth()) << "the whole link shows";
        }
        EXPECT_TRUE(main->Timer_Update.Running());
        EXPECT_EQ(main->Timer_Update.Interval(), kLaterChecks);
        EXPECT_EQ(main->Timer_Update.Starts(), starts + 1) << "the next count starts when the check has ended";
    }
}

TEST_F(Options, OkSwitchesTheTimerWithoutTouchingItsInterval) {
    start(settings(false, false));
    EXPECT_FALSE(main->Timer_Update.Running());

    struct Step {
        const char* name;
        bool internet, update, ok;
        bool active;
        int interval;
    } steps[] = {
        {"cancel with both on", true, true, false, false, kFirstCheck},
        {"only internet", true, false, true, false, kFirstCheck},
        {"both on: first check after a minute", true, true, true, true, kFirstCheck},
        {"update without internet stops it", false, true, true, false, kFirstCheck},
        {"both on again", true, true, true, true, kFirstCheck},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        options(s.internet, s.update, s.ok);
        EXPECT_EQ(main->Timer_Update.Running(), s.active);
        EXPECT_EQ(main->Timer_Update.Interval(), s.interval);
    }

    // After a check the timer keeps its two-hour interval through OK, and a running countdown is
    // not started again; switched off and on, it counts anew.
    server.answer(LoopbackHttpServer::reply(200, "VER. 1.003"));
    ASSERT_TRUE(main->Timer_Update.Fire());
    ASSERT_EQ(main->Timer_Update.Interval(), kLaterChecks);
    const int starts = main->Timer_Update.Starts();
    options(true, true, true);
    EXPECT_TRUE(main->Timer_Update.Running());
    EXPECT_EQ(main->Timer_Update.Interval(), kLaterChecks);
    EXPECT_EQ(main->Timer_Update.Starts(), starts) << "the running countdown went on";
    options(false, false, true);
    options(true, true, true);
    EXPECT_EQ(main->Timer_Update.Interval(), kLaterChecks);
    EXPECT_EQ(main->Timer_Update.Starts(), starts + 1);
}

TEST_F(Options, OkSavesTheSettingsAndCancelDoesNot) {
    start();
    options(true, true, false);
    EXPECT_FALSE(plat::fileExists(app.file(QStringLiteral("Velmarin.xml"))));
    EXPECT_EQ(g_EnableInternet, 0);

    whenModal([](QWidget*) {
        FSoftOptions->CB_En_Con->setChecked(true);
        FSoftOptions->CB_Soft_Set_Jump_Table->setChecked(true);
        FSoftOptions->Btn_OK->click();
    });
    main->Btn_Click(main->Btn_Opz);
    EXPECT_EQ(readAll(app.file(QStringLiteral("Velmarin.xml"))),
              QByteArray("<Conf_Settings><lastproj><projectname/></lastproj><lastipadd><ipaddress>192.168.2.205"
                         "</ipaddress></lastipadd><lastlang><language>English</language></lastlang><lastinternet>"
                         "<enable_internet>1</enable_internet><enable_update>0</enable_update>"
                         "<enable_jump_field_tables>1</enable_jump_field_tables><Double_Click_Auto_Size>0"
                         "</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
}

TEST_F(Options, ALanguageChosenThenCancelledStaysOnScreenOnly) {
    start();
    writeAll(app.file(QStringLiteral("LANGUAGE/English.lng")), "");
    writeAll(app.file(QStringLiteral("LANGUAGE/Italiano.lng")),
             "STR0000 = Inizio\r\nSTR0015 = Nuova Configurazione\r\nSTR0100 = Nuovo progetto\r\nSTR0300 = Opzioni\r\n");
    rec.answers = {plat::Answer::Yes};
    whenModal([](QWidget*) {
        FSoftOptions->LangClick(2);
        EXPECT_EQ(FSoftOptions->windowTitle(), QStringLiteral("Opzioni"));
        FSoftOptions->Btn_Cancel->click();
    });
    main->Btn_Click(main->Btn_Opz);
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Do you want to change the Language from English to Italiano?")});
    EXPECT_EQ(main->L_Begin->text(), QStringLiteral("Inizio"));
    EXPECT_EQ(main->Btn_New->Caption(), QStringLiteral("Nuova Configurazione"));
    EXPECT_EQ(FNew_Project->windowTitle(), QStringLiteral("Nuovo progetto"));
    EXPECT_EQ(FAbout->windowTitle(), QStringLiteral("About..."));
    EXPECT_EQ(g_LanguageName, QStringLiteral("English"));
    main->close();
    EXPECT_TRUE(readAll(app.file(QStringLiteral("Velmarin.xml"))).contains("<language>English</language>"));
    TearDown();

    // The next start shows the saved language.
    g_MakerWebServer = server.address();
    start();
    EXPECT_EQ(main->L_Begin->text(), QStringLiteral("Begin"));
}

TEST_F(Options, InformationShowsTheAboutBox) {
    start();
    QString shown;
    whenModal([&](QWidget* w) {
        ASSERT_EQ(w, FAbout);
        shown = FAbout->Label9->text() + u' ' + FAbout->Label10->text();
        FAbout->FadeButton1->click();
    });
    main->Btn_Click(main->Btn_Info);
    EXPECT_EQ(shown, QStringLiteral("KS73632 1.003"));
    EXPECT_TRUE(rec.shown.empty());
}

}  // namespace

namespace {

TEST_F(Options, ScreenshotWithTheUpdateLink) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the window";
    start(settings(true, true));
    server.answer(LoopbackHttpServer::reply(200, "VER. 1.004"));
    main->Timer_Update.Fire();
    main->show();
    QApplication::processEvents();
    EXPECT_TRUE(main->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/main_update_link.png")));
}

}  // namespace
