#include "gateway/UBoot.h"
#include "controls/FadeButton.h"
#include "platform/Files.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest/QTest>
#include <deque>
#include <functional>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

class FakeClock final : public plat::Clock {
public:
    int64_t now = 1000;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override { now += ms; }
};

// Answers echo requests from a script; a time-out costs the echo's full wait of driven time.
class FakePinger final : public plat::Pinger {
public:
    enum Kind { Answer, Timeout, Fail };
    explicit FakePinger(FakeClock& clock) : clock_(clock) {}
    std::deque<Kind> script;
    Kind otherwise = Timeout;
    int calls = 0;
    QString lastAddress;
    std::function<void()> whileWaiting;  // what the user does while an echo is under way
    plat::EchoReply echo(const QString& address, int timeoutMs, int packetSize) override {
        ++calls;
        lastAddress = address;
        if (whileWaiting) whileWaiting();
        EXPECT_EQ(timeoutMs, 400);
        EXPECT_EQ(packetSize, 1024);
        Kind k = otherwise;
        if (!script.empty()) {
            k = script.front();
            script.pop_front();
        }
        if (k == Fail) throw std::runtime_error("no socket");
        if (k == Timeout) {
            clock_.now += timeoutMs;
            return {};
        }
        clock_.now += 3;
        return {true, 1016};
    }

private:
    FakeClock& clock_;
};

class Boot : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_SWCode = QStringLiteral("KS73632");
        Set_App_Folders(app.path());
        g_ProjectName = QStringLiteral("P");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/P");
        Set_Files();
        g_LastIPAddress = QStringLiteral("192.168.2.205");
        g_UpdateOption = 0;
        g_UpdateReadBack = 1;
        boot.Ping = &pinger;
        boot.Clock = &clock;
        boot.Form_Type = 1;
    }
    void TearDown() override { g_StartProgramCapMs = 150000; }

    // Shows the dialog, runs `body` while it is up, then closes it.
    void withDialog(const std::function<void()>& body) {
        QTimer::singleShot(0, &boot, [&] {
            body();
            boot.SetModalResult(plat::mrCancel);
        });
        boot.ShowModal();
    }

    void setAddress(const char* a, const char* b, const char* c, const char* d) {
        const char* parts[] = {a, b, c, d};
        for (int i = 0; i < 4; ++i) boot.E_IP[i]->setText(QString::fromLatin1(parts[i]));
    }

    struct BuiltInTexts {
        BuiltInTexts() { Load_Default_Language(); }  // windows label themselves when created
    } texts_;
    TempAppDir app;
    RecordingDialogs rec;
    FakeClock clock;
    FakePinger pinger{clock};
    TFBoot boot;
};

QStringList texts(const plat::XmlElement& e, const char* name) {
    QStringList out;
    for (const plat::XmlElement& c : e.childElements(QString::fromLatin1(name))) out << c.text();
    return out;
}

TEST_F(Boot, ShowFillsTheLastAddressAndChoices) {
    g_LastIPAddress = QStringLiteral(" 10 . 1.2 .3");
    g_UpdateOption = 2;
    g_UpdateReadBack = 0;
    withDialog([&] {
        EXPECT_EQ(boot.windowTitle(), QStringLiteral("Update Device by Ethernet (UDP)"));
        EXPECT_EQ(boot.L_SW_Desc()->text(), QStringLiteral("Update Device Using the Ethernet Port"));
        EXPECT_EQ(boot.ClientWidth(), 449);
        EXPECT_EQ(boot.ClientHeight(), 230);
        EXPECT_EQ(boot.E_IP[0]->text() + boot.E_IP[1]->text() + boot.E_IP[2]->text() + boot.E_IP[3]->text(),
                  QStringLiteral("10123"));
        EXPECT_EQ(boot.CB_Update_Options->currentIndex(), 2);
        EXPECT_FALSE(boot.CB_Update_Option_Read_Back->isChecked());
        EXPECT_TRUE(plat::ownVisible(boot.P_IP_Address));
        EXPECT_FALSE(plat::ownVisible(boot.P_Serial));
        EXPECT_FALSE(plat::ownVisible(boot.P_Eth_Search));
        EXPECT_EQ(boot.focusWidget(), boot.E_IP[0]);
    });
    // A stored address that does not parse leaves the edits as they were.
    g_LastIPAddress = QStringLiteral("not an address");
    withDialog([&] { EXPECT_EQ(boot.E_IP[3]->text(), QStringLiteral("3")); });
}

TEST_F(Boot, DotMovesAlongTheOctetsAndIsNeverTyped) {
    withDialog([&] {
        setAddress("", "", "", "");
        boot.E_IP[0]->setFocus();
        for (QChar ch : QStringLiteral("10.20.30.40.")) QTest::keyClick(boot.focusWidget(), ch.toLatin1());
        EXPECT_EQ(boot.E_IP[0]->text(), QStringLiteral("10"));
        EXPECT_EQ(boot.E_IP[1]->text(), QStringLiteral("20"));
        EXPECT_EQ(boot.E_IP[2]->text(), QStringLiteral("30"));
        EXPECT_EQ(boot.E_IP[3]->text(), QStringLiteral("40"));
        EXPECT_EQ(boot.focusWidget(), boot.E_IP[3]);
    });
}

// Typing an address over one filled in: each "." lands on an octet whose text is selected, so
// the typed digits replace it.
TEST_F(Boot, DotSelectsTheNextOctetSoTypingReplacesIt) {
    withDialog([&] {
        boot.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&boot));
        setAddress("192", "168", "20", "205");
        boot.E_IP[0]->setFocus();
        boot.E_IP[0]->selectAll();  // the first octet as the user selects it
        for (QChar ch : QStringLiteral("127.0.0.1")) QTest::keyClick(boot.focusWidget(), ch.toLatin1());
        EXPECT_EQ(boot.Typed_Address(), std::optional<QString>(QStringLiteral("127.0.0.1")));
        // A "." on an octet left as it is keeps it whole.
        boot.E_IP[0]->setFocus();
        boot.E_IP[0]->selectAll();
        for (QChar ch : QStringLiteral("10..9")) QTest::keyClick(boot.focusWidget(), ch.toLatin1());
        EXPECT_EQ(boot.Typed_Address(), std::optional<QString>(QStringLiteral("10.0.9.1")));
    });
}

TEST_F(Boot, PingSequences) {
    using K = FakePinger::Kind;
    struct Case {
        const char* name;
        std::deque<K> script;
        K otherwise;
        bool result;
        int pingRes;
        int calls;      // -1: do not check
        int64_t minMs;  // driven time spent, at least
        int64_t maxMs;
    } cases[] = {
        {"two answers at once", {K::Answer, K::Answer}, K::Answer, true, 1, 2, 0, 100},
        {"only time-outs", {}, K::Timeout, false, 2, -1, 5000, 5500},
        {"answer lost then two", {K::Timeout, K::Answer, K::Answer}, K::Answer, true, 1, 3, 400, 600},
        {"last one answered", {K::Answer, K::Timeout}, K::Timeout, false, 2, -1, 5000, 5500},
        {"error", {K::Fail}, K::Fail, false, 0, 1, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pinger.script = c.script;
        pinger.otherwise = c.otherwise;
        pinger.calls = 0;
        setAddress("192", "168", "2", "7");
        const int64_t start = clock.now;
        EXPECT_EQ(boot.Send_Ping(), c.result);
        EXPECT_EQ(boot.ping_res, c.pingRes);
        if (c.calls >= 0) EXPECT_EQ(pinger.calls, c.calls);
        EXPECT_GE(clock.now - start, c.minMs);
        EXPECT_LE(clock.now - start, c.maxMs);
    }
    EXPECT_EQ(pinger.lastAddress, QStringLiteral("192.168.2.7"));
}

TEST_F(Boot, FailedCheckShowsItsMessageAndStoresNothing) {
    struct Case {
        const char* name;
        const char* octets[4];
        FakePinger::Kind kind;
        const char* message;
    } cases[] = {{"no answer", {"10", "0", "0", "9"}, FakePinger::Timeout, "Device Not Found!"},
                 {"socket error", {"10", "0", "0", "9"}, FakePinger::Fail, "Error!!! Check the Ip Address"},
                 {"octet too big", {"10", "0", "0", "256"}, FakePinger::Answer, "Error!!! Check the Ip Address"},
                 {"hexadecimal octet", {"$A", "0", "0", "1"}, FakePinger::Answer, "Error!!! Check the Ip Address"},
                 {"all zero", {"0", "0", "0", "0"}, FakePinger::Answer, "Error!!! Check the Ip Address"},
                 {"broadcast", {"255", "255", "255", "255"}, FakePinger::Answer, "Error!!! Check the Ip Address"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        pinger.script.clear();
        pinger.otherwise = c.kind;
        withDialog([&] {
            setAddress(c.octets[0], c.octets[1], c.octets[2], c.octets[3]);
            boot.Btn_Update->click();
            EXPECT_TRUE(boot.isVisible());
            EXPECT_TRUE(boot.Btn_Update->isEnabled());
        });
        EXPECT_EQ(rec.texts(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(g_LastIPAddress, QStringLiteral("192.168.2.205"));
        EXPECT_FALSE(plat::fileExists(app.file(QStringLiteral("Flash_Loader.xml"))));
    }
}

TEST_F(Boot, ParameterFileForEachOption) {
    struct Case {
        int option;
        bool readBack;
        QStringList files;
        QStringList starts;
        QStringList goToApp;
        QStringList writeCss;
        QStringList bankType;
    } cases[] = {
        {0, true,
         {g_MasterPath + "/Sim73632.sim", g_ProjectPath + "/bin/bank1.bin", g_ProjectPath + "/bin/bank2.bin"},
         {"0x8000", "0x07000", "0x80000"}, {"0", "0", "1"}, {"1", "0", "0"}, {"1", "2", "2"}},
        {1, false, {g_MasterPath + "/Sim73632.sim"}, {"0x8000"}, {"1"}, {"1"}, {"1"}},
        {2, true, {g_ProjectPath + "/bin/bank1.bin", g_ProjectPath + "/bin/bank2.bin"}, {"0x07000", "0x80000"},
         {"0", "1"}, {"0", "0"}, {"2", "2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        boot.CB_Update_Options->setCurrentIndex(c.option);
        boot.CB_Update_Option_Read_Back->setChecked(c.readBack);
        QString error;
        ASSERT_TRUE(boot.Compile_XML_Parameter_New_Boot(QStringLiteral("10.0.0.9"), &error)) << error.toStdString();
        plat::XmlDocument doc;
        ASSERT_TRUE(doc.load(app.file(QStringLiteral("Flash_Loader.xml"))));
        const plat::XmlElement root = doc.root();
        EXPECT_EQ(root.name(), QStringLiteral("Flash_Loader"));
        QStringList names;
        for (const auto& e : root.childElements()) names << e.name();
        EXPECT_EQ(names, (QStringList{"Version", "Title", "IP_Address_Dev", "Application_Port", "Boot_Port",
                                      "Boot_Port_Sec", "Address_Protection", "Protections", "Operations"}));
        EXPECT_EQ(root.child("Version").text(), QStringLiteral("1000"));
        EXPECT_EQ(root.child("Title").text(), QStringLiteral("Quorim - KS73632 Flash Loader"));
        EXPECT_EQ(root.child("IP_Address_Dev").text(), QStringLiteral("10.0.0.9"));
        EXPECT_EQ(root.child("Application_Port").text(), QStringLiteral("10000"));
        EXPECT_EQ(root.child("Boot_Port").text(), QStringLiteral("2008"));
        EXPECT_EQ(root.child("Boot_Port_Sec").text(), QStringLiteral("2007"));
        EXPECT_EQ(root.child("Address_Protection").text(), QStringLiteral("0x07800"));
        EXPECT_EQ(root.child("Protections").child("Protection").text(), QStringLiteral("0x3632"));
        const auto ops = root.child("Operations").childElements(QStringLiteral("Operation"));
        ASSERT_EQ(static_cast<int>(ops.size()), c.files.size());
        QStringList files, starts, goToApp, writeCss, bankType, readBack;
        for (const auto& op : ops) {
            QStringList opNames;
            for (const auto& e : op.childElements()) opNames << e.name();
            EXPECT_EQ(opNames.size(), 20);
            EXPECT_EQ(opNames.first(), QStringLiteral("Ope_Protection_Enabled"));
            EXPECT_EQ(opNames.last(), QStringLiteral("Ope_GoToApp_After"));
            files << op.child("Ope_FileName").text();
            starts << op.child("Ope_Start_Address").text();
            goToApp << op.child("Ope_GoToApp_After").text();
            writeCss << op.child("Ope_Write_CSS").text();
            bankType << op.child("Ope_Bank_Type").text();
            readBack << op.child("Ope_Read_Back").text();
            EXPECT_EQ(op.child("Ope_Port").text(), QStringLiteral("2008"));
            EXPECT_EQ(op.child("Ope_Port_Sec").text(), QStringLiteral("2007"));
            EXPECT_EQ(op.child("Ope_WID_Data").text(), QStringLiteral("0x00, 0x00, 0x00, 0x01"));
            EXPECT_EQ(op.child("Ope_Address_CSS").text(), QStringLiteral("0x07A00"));
            EXPECT_TRUE(op.child("Ope_IP_Address").text().isEmpty());
        }
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(starts, c.starts);
        EXPECT_EQ(goToApp, c.goToApp);
        EXPECT_EQ(writeCss, c.writeCss);
        EXPECT_EQ(bankType, c.bankType);
        EXPECT_EQ(readBack, QStringList(c.files.size(), c.readBack ? QStringLiteral("1") : QStringLiteral("0")));
    }
}

// Every element of every operation, value by value, for the three kinds of memory write.
TEST_F(Boot, OperationElementsValueByValue) {
    constexpr const char* kFile = "<file>";        // the file the operation writes
    constexpr const char* kReadBack = "<read>";    // "1" with Read Back ticked
    constexpr const char* kBackToApp = "<app>";    // "1" on the last operation written
    const struct Row {
        const char* element;
        const char* firmware;
        const char* bank1;
        const char* bank2;
    } rows[] = {
        {"Ope_Protection_Enabled", "", "", ""},
        {"Ope_GoToBoot_Before", "0", "0", "0"},
        {"Ope_GoToApp_Before", "0", "0", "0"},
        {"Ope_IP_Address", "", "", ""},
        {"Ope_Port", "2008", "2008", "2008"},
        {"Ope_Port_Sec", "2007", "2007", "2007"},
        {"Ope_Erase_Memory", "0", "0", "0"},
        {"Ope_FileName", kFile, kFile, kFile},
        {"Ope_Start_Address", "0x8000", "0x07000", "0x80000"},
        {"Ope_Memory_Type", "0", "0", "0"},
        {"Ope_Bank_Type", "1", "2", "2"},
        {"Ope_Read_Back", kReadBack, kReadBack, kReadBack},
        {"Ope_Write_CSS", "1", "0", "0"},
        {"Ope_Address_CSS", "0x07A00", "0x07A00", "0x07A00"},
        {"Ope_Command_CSS", "0x02", "0x02", "0x02"},
        {"Ope_Write_Internal_Data", "0", "0", "0"},
        {"Ope_WID_Address", "0x07810", "0x07810", "0x07810"},
        {"Ope_WID_Command", "0x02", "0x02", "0x02"},
        {"Ope_WID_Data", "0x00, 0x00, 0x00, 0x01", "0x00, 0x00, 0x00, 0x01", "0x00, 0x00, 0x00, 0x01"},
        {"Ope_GoToApp_After", kBackToApp, "0", kBackToApp},
    };
    ASSERT_EQ(std::size(rows), 20u);
    enum Kind { Firmware, Bank1, Bank2 };
    const QString files[] = {g_MasterPath + "/Sim73632.sim", g_ProjectPath + "/bin/bank1.bin",
                             g_ProjectPath + "/bin/bank2.bin"};
    const struct {
        int option;
        bool readBack;
        std::vector<Kind> kinds;
    } options[] = {{0, true, {Firmware, Bank1, Bank2}}, {0, false, {Firmware, Bank1, Bank2}}, {1, true, {Firmware}},
                   {2, false, {Bank1, Bank2}}};
    for (const auto& o : options) {
        SCOPED_TRACE(testing::Message() << "option " << o.option << ", read back " << o.readBack);
        boot.CB_Update_Options->setCurrentIndex(o.option);
        boot.CB_Update_Option_Read_Back->setChecked(o.readBack);
        QString error;
        ASSERT_TRUE(boot.Compile_XML_Parameter_New_Boot(QStringLiteral("10.0.0.9"), &error)) << error.toStdString();
        plat::XmlDocument doc;
        ASSERT_TRUE(doc.load(app.file(QStringLiteral("Flash_Loader.xml"))));
        const auto ops = doc.root().child("Operations").childElements(QStringLiteral("Operation"));
        ASSERT_EQ(ops.size(), o.kinds.size());
        for (size_t i = 0; i < ops.size(); ++i) {
            const Kind kind = o.kinds[i];
            const bool last = i + 1 == ops.size();
            const auto written = ops[i].childElements();
            ASSERT_EQ(written.size(), std::size(rows)) << "operation " << i;
            for (size_t r = 0; r < std::size(rows); ++r) {
                const Row& row = rows[r];
                const char* want = kind == Firmware ? row.firmware : kind == Bank1 ? row.bank1 : row.bank2;
                QString expected = QString::fromLatin1(want);
                if (want == kFile) expected = files[kind];
                if (want == kReadBack) expected = o.readBack ? QStringLiteral("1") : QStringLiteral("0");
                if (want == kBackToApp) expected = last ? QStringLiteral("1") : QStringLiteral("0");
                EXPECT_EQ(written[r].name(), QString::fromLatin1(row.element)) << "operation " << i << ", element " << r;
                EXPECT_EQ(written[r].text(), expected) << "operation " << i << ", " << row.element;
            }
        }
    }
}

TEST_F(Boot, SuccessfulUpdateStoresWritesAndStartsTheUpdaterOnce) {
    const QString updater = app.file(QStringLiteral("Flash_Loader.exe"));
    const QString log = app.file(QStringLiteral("runs.log"));
    writeAll(updater, QStringLiteral("#!/bin/sh\necho run >> '%1'\ncp Flash_Loader.xml seen.xml\n").arg(log).toUtf8());
    QFile::setPermissions(updater, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    pinger.otherwise = FakePinger::Answer;
    withDialog([&] {
        setAddress("010", "0", "0", "9");
        boot.CB_Update_Options->setCurrentIndex(2);
        boot.CB_Update_Option_Read_Back->setChecked(false);
        boot.Btn_Update->click();
        EXPECT_TRUE(boot.isVisible()) << "the dialog stays open after an update";
    });
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(readAll(log), QByteArray("run\n"));
    // The address is read as decimal: "010" is ten.
    EXPECT_EQ(g_LastIPAddress, QStringLiteral("10.0.0.9"));
    EXPECT_EQ(pinger.lastAddress, QStringLiteral("10.0.0.9"));
    EXPECT_EQ(g_UpdateOption, 2);
    EXPECT_EQ(g_UpdateReadBack, 0);
    const QByteArray seen = readAll(app.file(QStringLiteral("seen.xml")));
    EXPECT_TRUE(seen.contains("<IP_Address_Dev>10.0.0.9</IP_Address_Dev>"));
    EXPECT_EQ(seen, readAll(app.file(QStringLiteral("Flash_Loader.xml"))));
}

TEST_F(Boot, EditsDuringTheCheckDoNotChangeWhatIsStored) {
    // The window keeps working during the check, so the octets may change under it; what is
    // stored and handed to the updater is the address that answered.
    for (const char* typed : {"7", "x", ""}) {
        SCOPED_TRACE(typed);
        rec.clear();
        g_LastIPAddress = QStringLiteral("192.168.2.205");
        pinger.otherwise = FakePinger::Answer;
        pinger.whileWaiting = [&] { boot.E_IP[3]->setText(QString::fromLatin1(typed)); };
        withDialog([&] {
            setAddress("10", "0", "0", "9");
            boot.Btn_Update->click();
        });
        pinger.whileWaiting = nullptr;
        EXPECT_EQ(pinger.lastAddress, QStringLiteral("10.0.0.9"));
        EXPECT_EQ(g_LastIPAddress, QStringLiteral("10.0.0.9"));
        plat::XmlDocument doc;
        ASSERT_TRUE(doc.load(app.file(QStringLiteral("Flash_Loader.xml"))));
        EXPECT_EQ(doc.root().child(QStringLiteral("IP_Address_Dev")).text(), QStringLiteral("10.0.0.9"));
    }
}

TEST_F(Boot, MissingUpdaterAndUnwritableFolderAreReported) {
    pinger.otherwise = FakePinger::Answer;
    withDialog([&] {
        setAddress("10", "0", "0", "9");
        boot.Btn_Update->click();
    });
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].contains(QStringLiteral("Flash_Loader.exe")));
    EXPECT_TRUE(plat::fileExists(app.file(QStringLiteral("Flash_Loader.xml"))));

    // A program folder that cannot take the parameter file: the updater is not started.
    rec.clear();
    const QString updater = app.file(QStringLiteral("Flash_Loader.exe"));
    writeAll(updater, QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(app.file(QStringLiteral("ran"))).toUtf8());
    QFile::setPermissions(updater, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    g_AppPath = app.file(QStringLiteral("gone"));
    withDialog([&] {
        setAddress("10", "0", "0", "9");
        boot.Btn_Update->click();
    });
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].contains(QStringLiteral("Flash_Loader.xml")));
    EXPECT_FALSE(plat::fileExists(app.file(QStringLiteral("ran"))));
}

TEST(SystemPinger, LoopbackAnswers) {
    auto pinger = plat::makeSystemPinger();
    plat::EchoReply r;
    try {
        r = pinger->echo(QStringLiteral("127.0.0.1"), 400, 1024);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "this machine forbids ICMP echo: " << e.what();
    }
    EXPECT_TRUE(r.answered);
    EXPECT_GT(r.bytes, 0);
    EXPECT_THROW(pinger->echo(QStringLiteral("300.1.1.1"), 400, 1024), std::runtime_error);
}

// Tab visits the two buttons in the order they are drawn, left to right; Esc is Cancel wherever the
// focus is: the window closes, nothing is written and nothing is pinged.
TEST_F(Boot, TabFollowsTheDrawnButtonsAndEscCancels) {
    ASSERT_LT(boot.Btn_Update->x(), boot.Btn_Cancel->x());
    withDialog([&] {
        QApplication::setActiveWindow(&boot);
        boot.CB_Update_Option_Read_Back->setFocus();
        QStringList visited;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(visited, (QStringList{"Btn_Update", "Btn_Cancel", "E_IP1"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), boot.Btn_Update);
    });
    const struct {
        const char* name;
        std::function<QWidget*()> focus;
    } places[] = {
        {"an address edit", [&] { return static_cast<QWidget*>(boot.E_IP[2]); }},
        {"the options list", [&] { return static_cast<QWidget*>(boot.CB_Update_Options); }},
        {"the focused update button", [&] { return static_cast<QWidget*>(boot.Btn_Update); }},
    };
    for (const auto& p : places) {
        SCOPED_TRACE(p.name);
        bool closed = false;
        QTimer::singleShot(0, &boot, [&] {
            QApplication::setActiveWindow(&boot);
            p.focus()->setFocus();
            QTest::keyClick(p.focus(), Qt::Key_Escape);
            closed = !boot.isVisible();
            if (!closed) boot.SetModalResult(plat::mrOk);
        });
        EXPECT_EQ(boot.ShowModal(), plat::mrCancel);
        EXPECT_TRUE(closed);
        EXPECT_EQ(pinger.calls, 0);
        EXPECT_FALSE(plat::fileExists(app.file(QStringLiteral("Flash_Loader.xml"))));
        EXPECT_EQ(g_LastIPAddress, QStringLiteral("192.168.2.205"));
        EXPECT_TRUE(rec.shown.empty());
    }
}

TEST_F(Boot, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the window";
    withDialog([&] { EXPECT_TRUE(boot.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/boot.png"))); });
}

}  // namespace
