// The "Set Communication" dialog: loading, saving, labelling, certificate import, the "." key,
// wheel scrolling and the look of its panels.
#include "gateway/UParGen.h"
#include "controls/FadeButton.h"
#include "platform/CategoryPanels.h"
#include "platform/Files.h"
#include "platform/IntConv.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

using testing_support::RecordingDialogs;
using testing_support::Shown;

namespace {

class ParGenDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        Load_Default_Language();
        openProject(QStringLiteral("P1"));
    }
    void TearDown() override {
        g_ProjectPath.clear();
        Set_Files();
    }
    void openProject(const QString& name) {
        g_ProjectName = name;
        g_ProjectPath = tmp.path() + QStringLiteral("/PROJECTS/") + name;
        ASSERT_TRUE(plat::forceDirectories(g_ProjectPath));
        Set_Files();
    }
    // Shows the dialog as its step does, without entering a modal loop.
    void showDialog(TFParGen& d) {
        d.hide();
        d.show();
    }
    // The "..." buttons answer only while their rows show: TLS and both authentications ticked.
    void showCertificateRows(TFParGen& d) {
        showDialog(d);
        for (const char* box : {"CB_TLS_Enable", "CB_TLS_En_Server_Auth", "CB_TLS_En_Client_Auth"})
            d.Check(QString::fromLatin1(box))->setChecked(true);
    }
    QString certDir() const { return g_ProjectPath + QStringLiteral("/Certificates"); }

    QTemporaryDir tmp;
    RecordingDialogs dialogs;
};

QString text(TFParGen& d, const char* name) {
    QWidget* w = d.Control(QString::fromLatin1(name));
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* c = qobject_cast<QCheckBox*>(w)) return c->text();
    ADD_FAILURE() << "no control " << name;
    return {};
}

// Valid values for every element (every drop-down with a selection), whitespace-only texts included.
pargen::Values distinctValues() {
    pargen::Values v;
    const auto els = pargen::elements();
    for (int i = 0; i < pargen::kElementCount; ++i) {
        const auto& e = els[static_cast<size_t>(i)];
        switch (e.kind) {
        case pargen::Kind::Text: {
            // Numeric fields get numbers that pass the validation, the rest free texts.
            const QString def = QString::fromLatin1(e.defaultValue);
            static const QStringList numeric = {"MQTT_Keep_Alive", "MQTT_ASync_Send_Time", "MQTT_Reprogram_Value",
                                                "NTP_Poll_Time"};
            if (plat::tryStrToInt(def) || numeric.contains(QLatin1StringView(e.name)))
                v[i] = QString::number(i % 200 + 1);
            else
                v[i] = (i % 3 == 0) ? QStringLiteral("  ") : QStringLiteral("v%1 <&>").arg(i);
            break;
        }
        case pargen::Kind::Check:
        case pargen::Kind::CheckInt:
            v[i] = QStringLiteral("1");
            break;
        case pargen::Kind::Index:
            v[i] = QString::number(e.itemCount - 1);
            break;
        case pargen::Kind::ItemText:
            v[i] = QString::fromLatin1(e.items.back());
            break;
        }
    }
    v[u"PROFINET_DIAGNOSTIC_ADDRESS"] = QStringLiteral("7");  // within the output bytes less 8
    return v;
}

}  // namespace

TEST_F(ParGenDialog, NewProjectShowsDefaultsAndOkWritesThem) {
    TFParGen d;
    showDialog(d);
    const std::vector<std::pair<const char*, const char*>> shown = {
        {"E_Ethernet_IP1", "192"}, {"E_Ethernet_IP2", "168"}, {"E_Ethernet_IP3", "0"}, {"E_Ethernet_IP4", "10"},
        {"E_Ethernet_SM1", "255"}, {"E_Ethernet_SM4", "0"}, {"E_Ethernet_GAT4", "1"},
        {"E_WiFi2_IP1_IP4", "100"}, {"E_WiFi2_IP2_IP4", "110"}, {"E_WiFi2_DHCP_First_IP4", "200"},
        {"E_WiFi2_Lease_Time", "86400"}, {"E_PROFINET_IP4", "5"}, {"E_PROFINET_SM3", "255"}, {"E_PROFINET_GAT4", "1"},
        {"E_PROFINET_TunnelPort", "2000"}, {"E_PROFINET_NameStation", "devicename1"}, {"E_PROFINET_NByte_In", "1438"},
        {"E_PROFINET_NByte_Out", "1438"}, {"E_EthConn_Pri_DNS_IP1", "8"}, {"E_EthConn_Sec_DNS_IP4", "8"},
        {"E_MQTT_Server_Port", "1883"}, {"E_MQTT_ASync_Send_Time", "10"}, {"E_NTP_Poll_Time", ""},
        {"CB_Select_Device_Device", "Only Ethernet Cable "}, {"CB_WiFi2_Channel", "1"}, {"CB_WiFi2_Max_Client", "1"},
        {"CB_GSM_GPRS_AuthType", "None"}, {"CB_GSM_GPRS_Main_SIM", "SIM 1"}};
    for (const auto& [n, v] : shown) EXPECT_EQ(text(d, n), QString::fromLatin1(v)) << n;
    EXPECT_EQ(d.Combo("CB_WiFi2_Channel")->currentIndex(), 1);
    for (QCheckBox* c : d.findChildren<QCheckBox*>()) EXPECT_FALSE(c->isChecked()) << c->objectName().toStdString();
    EXPECT_TRUE(dialogs.shown.empty());

    // The default poll time is empty, which the validation refuses; once typed, OK writes the rest as shown.
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(dialogs.errors(), QStringList{Text_Table[618]});
    EXPECT_FALSE(plat::fileExists(g_ParGenFile));
    EXPECT_TRUE(d.isVisible());
    d.Edit("E_NTP_Poll_Time")->setText("60");
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(d.ModalResult(), plat::mrOk);
    ASSERT_TRUE(plat::fileExists(g_ParGenFile));
    pargen::Values expected = pargen::fileMissingDefaults();
    expected[u"NTP_Poll_Time"] = QStringLiteral("60");
    EXPECT_EQ(pargen::readFile(g_ParGenFile), expected);
    EXPECT_EQ(testing_support::readAll(g_ParGenFile), pargen::toBytes(expected));
}

TEST_F(ParGenDialog, CancelWritesNothingAndTheNextShowRereadsTheFile) {
    TFParGen d;
    showDialog(d);
    d.Edit("E_Ethernet_IP4")->setText("77");
    QTest::mouseClick(d.Btn_Cancel, Qt::LeftButton);
    EXPECT_EQ(d.ModalResult(), plat::mrCancel);
    EXPECT_FALSE(plat::fileExists(g_ParGenFile));
    showDialog(d);
    EXPECT_EQ(d.Edit("E_Ethernet_IP4")->text(), "10");

    pargen::Values v = pargen::fileMissingDefaults();
    v[u"Ethernet_IP4"] = QStringLiteral("33");
    pargen::writeFile(g_ParGenFile, v);
    const QByteArray before = testing_support::readAll(g_ParGenFile);
    showDialog(d);
    d.Edit("E_Ethernet_IP4")->setText("44");
    QTest::mouseClick(d.Btn_Cancel, Qt::LeftButton);
    EXPECT_EQ(testing_support::readAll(g_ParGenFile), before);
    showDialog(d);
    EXPECT_EQ(d.Edit("E_Ethernet_IP4")->text(), "33");
}

TEST_F(ParGenDialog, EveryValueComesBackThroughTheControls) {
    const pargen::Values v = distinctValues();
    pargen::writeFile(g_ParGenFile, v);
    TFParGen d;
    showDialog(d);
    const pargen::Values seen = d.Values();
    for (int i = 0; i < pargen::kElementCount; ++i)
        EXPECT_EQ(seen[i], v[i]) << pargen::elements()[static_cast<size_t>(i)].name;
    QFile::remove(g_ParGenFile);
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(testing_support::readAll(g_ParGenFile), pargen::toBytes(v));
}

TEST_F(ParGenDialog, LongerTextThanTheTypingLimitIsKept) {
    pargen::Values v = pargen::fileMissingDefaults();
    const QString longName = QString(40, u'h');
    v[u"Eth_Conn_Device_Name"] = longName;
    v[u"GSM_GPRS_PIN"] = QStringLiteral("12ab345678901");
    pargen::writeFile(g_ParGenFile, v);
    TFParGen d;
    showDialog(d);
    EXPECT_EQ(d.Edit("E_EthConn_Device_Name")->text(), longName);
    EXPECT_EQ(d.Edit("E_GSM_GPRS_PIN")->text(), "12ab345678901");
    // Typing never goes past the limit, deleting from a long text works.
    QLineEdit* name = d.Edit("E_EthConn_Device_Name");
    name->setFocus();
    name->end(false);
    QTest::keyClicks(name, "xyz");
    EXPECT_EQ(name->text(), longName);
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_EQ(name->text(), QString(39, u'h'));
}

TEST_F(ParGenDialog, VeryLongTextsComeBackWhole) {
    // Edits without a typing limit hold any length; limited ones keep a longer text from the file.
    const std::vector<std::pair<const char16_t*, QString>> texts = {
        {u"MQTT_Will_Message", QString(40000, u'w')},
        {u"TLS_Server_Auth_Certificate", QString(33000, u'c') + QStringLiteral(".pem")},
        {u"MQTT_Password", QString(70000, u'p')},
        {u"PROFINET_NAME_STA", QString(33000, u's')},
    };
    pargen::Values v = pargen::fileMissingDefaults();
    v[u"NTP_Poll_Time"] = QStringLiteral("60");
    for (const auto& [n, t] : texts) v[QStringView(n)] = t;
    pargen::writeFile(g_ParGenFile, v);
    TFParGen d;
    showDialog(d);
    const pargen::Values shown = d.Values();
    for (const auto& [n, t] : texts) EXPECT_EQ(shown[QStringView(n)].size(), t.size()) << QStringView(n).toString().toStdString();
    EXPECT_TRUE(shown == v);
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(d.ModalResult(), plat::mrOk);
    const pargen::Values saved = pargen::readFile(g_ParGenFile);
    for (const auto& [n, t] : texts) EXPECT_EQ(saved[QStringView(n)].size(), t.size()) << QStringView(n).toString().toStdString();
}

TEST_F(ParGenDialog, TypingLimitsOfTheEdits) {
    pargen::Values v = pargen::fileMissingDefaults();
    v[u"Select_Device"] = QStringLiteral("2");  // the mobile panel open, with the second SIM
    v[u"GSM_GPRS_ENABLE_SECOND_SIM"] = QStringLiteral("1");
    pargen::writeFile(g_ParGenFile, v);
    TFParGen d;
    showDialog(d);
    struct Case {
        const char* edit;
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {
        {"E_EthConn_Device_Name", "abcdefghijklmnopqrstuvwxyz0123456789", "abcdefghijklmnopqrstuvwxyz01234"},
        {"E_PROFINET_NameStation", "abcdefghijklmnopqrstuvwxyz0123456789", "abcdefghijklmnopqrstuvwxyz01234"},
        {"E_GSM_GPRS_PIN", "12a3-4 56789", "12345678"},
        {"E_GSM_GPRS_PIN2", "x9", "9"},
        {"E_GSM_GPRS_UserName", "0123456789012345678901234567890123456789", "01234567890123456789012345678901"},
        {"E_GSM_GPRS_Password2", "0123456789012345678901234567890123456789", "01234567890123456789012345678901"},
        {"E_MQTT_Server", "0123456789012345678901234567890123456789", "0123456789012345678901234567890123456789"},
    };
    for (const Case& c : cases) {
        QLineEdit* e = d.Edit(QString::fromLatin1(c.edit));
        e->clear();
        e->setFocus();
        QTest::keyClicks(e, c.typed);
        EXPECT_EQ(e->text(), QString::fromLatin1(c.expected)) << c.edit;
    }
}

TEST_F(ParGenDialog, OutOfRangePositionSelectsNothingAndIsWrittenAsMinusOne) {
    pargen::Values v = pargen::fileMissingDefaults();
    v[u"NTP_Poll_Time"] = QStringLiteral("60");
    v[u"WiFi_Max_Client"] = QStringLiteral("12");
    QByteArray bytes = pargen::toBytes(v);
    // "pap" and "01" as a hand-edited file would hold them.
    bytes.replace("<GSM_GPRS_AUTHTYPE>None<", "<GSM_GPRS_AUTHTYPE>pap<");
    bytes.replace("<TLS_Enable>0<", "<TLS_Enable>01<");
    bytes.replace("<MQTT_Clean_Session>0<", "<MQTT_Clean_Session>01<");
    testing_support::writeAll(g_ParGenFile, bytes);
    TFParGen d;
    showDialog(d);
    EXPECT_EQ(d.Combo("CB_WiFi2_Max_Client")->currentIndex(), -1);
    EXPECT_EQ(d.Combo("CB_GSM_GPRS_AuthType")->currentText(), "PAP");
    EXPECT_TRUE(d.Check("CB_TLS_Enable")->isChecked());
    EXPECT_FALSE(d.Check("CB_MQTT_Clean_Session")->isChecked());
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    const QByteArray written = testing_support::readAll(g_ParGenFile);
    EXPECT_TRUE(written.contains("<WiFi_Max_Client>-1</WiFi_Max_Client>")) << written.toStdString();
    EXPECT_TRUE(written.contains("<GSM_GPRS_AUTHTYPE>PAP</GSM_GPRS_AUTHTYPE>"));
    EXPECT_TRUE(written.contains("<TLS_Enable>1</TLS_Enable>"));
    EXPECT_TRUE(written.contains("<MQTT_Clean_Session>0</MQTT_Clean_Session>"));
}

TEST_F(ParGenDialog, UnreadableFileIsReportedAndShowsDefaultsNotThePreviousProject) {
    pargen::Values v = distinctValues();
    pargen::writeFile(g_ParGenFile, v);
    TFParGen d;
    showDialog(d);
    ASSERT_EQ(d.Edit("E_Ethernet_IP1")->text(), v[u"Ethernet_IP1"]);

    openProject(QStringLiteral("P2"));
    testing_support::writeAll(g_ParGenFile, "<Par_Gen><Ethernet_IP1>1</Ethernet_IP1>");
    showDialog(d);
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors().front().contains("ParGen.xml")) << dialogs.errors().front().toStdString();
    EXPECT_EQ(d.Values(), pargen::fileMissingDefaults());
}

TEST_F(ParGenDialog, FailedSaveIsReportedAndTheDialogStaysOpen) {
    TFParGen d;
    showDialog(d);
    d.Edit("E_NTP_Poll_Time")->setText("60");
    g_ParGenFile = tmp.path() + QStringLiteral("/no/such/folder/ParGen.xml");
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(d.isVisible());
}

TEST_F(ParGenDialog, LabelsHintsItemsAndNumberedCaptionsComeFromTheTextTable) {
    TFParGen d;
    const std::vector<std::pair<const char*, int>> labels = {
        {"L_Select_Device_Device", 4248}, {"CB_EthConn_En_DHCP_Cable", 4253}, {"L_EthConn_Secondary_DNS", 4264},
        {"L_PROFINET_TunnelPort", 1931}, {"CB_PROFINET_Diagnostic", 1939}, {"L_MQTT_Reproram_Value", 4240},
        {"CB_MQTT_Connection_Retained", 4232}, {"CB_Ethernet_En_GAT", 466}, {"CB_Ethernet_Reset_24h", 4243},
        {"L_TLS_CA_Cert", 5246}, {"L_NTP_Poll_Time", 572}, {"L_WiFi2_IP2", 5122}, {"L_WiFi2_Channel", 5165},
        {"CB_GSM_GPRS_En_Second_SIM", 5232}, {"L_GSM_GPRS_Main_SIM", 5244}};
    for (const auto& [n, i] : labels) EXPECT_EQ(text(d, n), Text_Table[i]) << n;
    EXPECT_EQ(text(d, "CB_Ethernet_En_DNS"), "DNS");
    EXPECT_EQ(text(d, "L_Ethernet_UDP_Port"), "UDP Port");

    const std::vector<std::pair<const char*, int>> hints = {
        {"CB_Select_Device_Device", 4249}, {"E_EthConn_Pri_DNS_IP3", 4261}, {"E_EthConn_Sec_DNS_IP1", 4265},
        {"CB_PROFINET_GAT", 1926}, {"E_PROFINET_GAT4", 1930}, {"E_PROFINET_Diagnostic", 1941},
        {"E_Ethernet_IP4", 460}, {"E_Ethernet_GAT1", 468}, {"E_TLS_Client_Cert_Key", 566},
        {"Btn_TLS_Client_Cert_Key", 566}, {"E_WiFi2_IP2_GAT4", 5138}, {"E_WiFi2_DHCP_SM2", 5158},
        {"E_GSM_GPRS_Password2", 5243}, {"E_MQTT_Reproram_Value", 4241}};
    for (const auto& [n, i] : hints) EXPECT_EQ(d.Control(n)->toolTip(), Text_Table[i]) << n;

    EXPECT_EQ(d.windowTitle(), Text_Table[400]);
    EXPECT_EQ(d.L_SW_Desc()->text(), Text_Table[401]);
    EXPECT_EQ(d.Btn_OK->Caption(), Text_Table[402]);
    EXPECT_EQ(d.Btn_Cancel->toolTip(), Text_Table[405]);

    const QStringList captions = {"1. Select Device", "2. Ethernet Connection", "3. PROFINET", "4. MQTT", "5. Ethernet",
                                  "6. TLS (Transport Layer Security)", "7. NTP (Network Time Protocol)", "8. Wi-Fi",
                                  "9. GSM / GPRS / LTE"};
    QStringList seen;
    for (plat::TCategoryPanel* p : d.CPG->stackedPanels()) seen << p->caption();
    EXPECT_EQ(seen, captions);

    // A language change relabels controls and refills translated items, but not the panel captions.
    const QStringList saved = Text_Table;
    Text_Table[4248] = QStringLiteral("Typ");
    Text_Table[5104] = QStringLiteral("Station (de)");
    Text_Table[4247] = QStringLiteral("Geraet");
    d.Combo("CB_WiFi2_Type")->setCurrentIndex(1);
    d.Set_Lang();
    EXPECT_EQ(text(d, "L_Select_Device_Device"), "Typ");
    EXPECT_EQ(d.Combo("CB_WiFi2_Type")->itemText(1), "Station (de)");
    EXPECT_EQ(d.Combo("CB_WiFi2_Type")->currentIndex(), 0);
    EXPECT_EQ(d.Combo("CB_WiFi2_Channel")->count(), 12);
    EXPECT_EQ(d.Combo("CB_WiFi2_Channel")->itemText(0), Text_Table[5167]);
    EXPECT_EQ(d.Combo("CB_GSM_GPRS_AuthType")->count(), 4);
    EXPECT_EQ(d.CPG->stackedPanels().front()->caption(), "1. Select Device");
    Text_Table = saved;
}

TEST_F(ParGenDialog, DotMovesAlongTheChainsAndIsNeverTyped) {
    pargen::Values v = pargen::fileMissingDefaults();
    v[u"Select_Device"] = QStringLiteral("1");
    v[u"WiFi_EN_DHCP"] = QStringLiteral("1");
    pargen::writeFile(g_ParGenFile, v);
    TFParGen d;
    showDialog(d);
    d.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&d));
    struct Case {
        const char* from;
        const char* to;  // the focus afterwards
    };
    const Case cases[] = {
        {"E_Ethernet_IP1", "E_Ethernet_IP2"},       {"E_Ethernet_IP4", "E_Ethernet_SM1"},
        {"E_Ethernet_SM4", "E_Ethernet_GAT1"},      {"E_Ethernet_GAT4", "E_Ethernet_GAT4"},
        {"E_EthConn_Pri_DNS_IP4", "E_EthConn_Sec_DNS_IP1"}, {"E_EthConn_Sec_DNS_IP4", "E_EthConn_Sec_DNS_IP4"},
        {"E_WiFi2_IP1_SM4", "E_WiFi2_IP1_GAT1"},    {"E_WiFi2_IP1_GAT4", "E_WiFi2_IP1_GAT4"},
        {"E_WiFi2_DHCP_First_IP4", "E_WiFi2_DHCP_SM1"},
        {"E_WiFi2_DHCP_SM4", "E_WiFi2_DHCP_SM4"},   {"E_PROFINET_SM2", "E_PROFINET_SM3"},
        {"E_PROFINET_SM4", "E_PROFINET_GAT1"},
    };
    for (const Case& c : cases) {
        QLineEdit* from = d.Edit(QString::fromLatin1(c.from));
        from->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), from) << c.from;
        const QString before = from->text();
        QTest::keyClick(from, '.');
        EXPECT_EQ(from->text(), before) << c.from;
        EXPECT_EQ(QApplication::focusWidget(), d.Control(QString::fromLatin1(c.to))) << c.from;
    }
    // The second Wi-Fi address exists in station mode.
    d.Combo("CB_WiFi2_Type")->setCurrentIndex(1);
    QLineEdit* ip2 = d.Edit("E_WiFi2_IP2_IP4");
    ip2->setFocus();
    QTest::keyClick(ip2, '.');
    EXPECT_EQ(QApplication::focusWidget(), d.Control("E_WiFi2_IP2_SM1"));
    // An octet edit outside the chains swallows "." too.
    QLineEdit* dns = d.Edit("E_Ethernet_DNS2");
    dns->setText("8");
    QKeyEvent dot(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier, QStringLiteral("."));
    QApplication::sendEvent(dns, &dot);
    EXPECT_EQ(dns->text(), "8");
    // Other characters are typed as usual.
    QLineEdit* ip = d.Edit("E_Ethernet_IP1");
    ip->setFocus();
    ip->end(false);
    QTest::keyClick(ip, '5');
    EXPECT_EQ(ip->text(), "1925");
    // A successor that cannot take the focus keeps it where it is; the "." is still swallowed.
    d.Edit("E_Ethernet_SM1")->setEnabled(false);
    QLineEdit* ip4 = d.Edit("E_Ethernet_IP4");
    ip4->setFocus();
    QTest::keyClick(ip4, '.');
    EXPECT_EQ(QApplication::focusWidget(), ip4);
    EXPECT_EQ(ip4->text(), "10");
}

// ------------------------------------------------------------------------------------------------
// Certificate import

namespace {
struct CertCase {
    const char* what;
    enum Source { Elsewhere, InFolder, OtherCaseProject, Symlinked } source;
    bool clash;                                 // "Certificates" already holds a file of that name
    std::optional<plat::Answer> answer;         // answer to the overwrite question
    bool expectQuestion;
    bool expectFilled;                          // box holds the name afterwards
    const char* expectContent;                  // content of the project's copy afterwards
};
}  // namespace

TEST_F(ParGenDialog, CertificateImport) {
    const CertCase cases[] = {
        {"new file from elsewhere is copied", CertCase::Elsewhere, false, {}, false, true, "new"},
        {"clash, Yes replaces", CertCase::Elsewhere, true, plat::Answer::Yes, true, true, "new"},
        {"clash, No keeps everything", CertCase::Elsewhere, true, plat::Answer::No, true, false, "old"},
        {"clash, Cancel keeps everything", CertCase::Elsewhere, true, plat::Answer::Cancel, true, false, "old"},
        {"already the project's copy", CertCase::InFolder, true, {}, false, true, "old"},
        {"the project's copy through a link", CertCase::Symlinked, true, {}, false, true, "old"},
        {"same path in another case is another file", CertCase::OtherCaseProject, false, {}, false, true, "new"},
    };
    int n = 0;
    for (const CertCase& c : cases) {
        SCOPED_TRACE(c.what);
        openProject(QStringLiteral("Cert%1").arg(++n));
        TFParGen d;
        showCertificateRows(d);
        dialogs.clear();
        const QString name = QStringLiteral("ca.pem");
        if (c.clash) {
            ASSERT_TRUE(plat::forceDirectories(certDir()));
            testing_support::writeAll(certDir() + u'/' + name, "old");
        }
        QString chosen;
        switch (c.source) {
        case CertCase::Elsewhere:
            ASSERT_TRUE(plat::forceDirectories(tmp.path() + QStringLiteral("/src%1").arg(n)));
            chosen = tmp.path() + QStringLiteral("/src%1/").arg(n) + name;
            testing_support::writeAll(chosen, "new");
            break;
        case CertCase::InFolder:
            chosen = certDir() + u'/' + name;
            break;
        case CertCase::Symlinked:
            ASSERT_TRUE(QFile::link(certDir(), tmp.path() + QStringLiteral("/link%1").arg(n)));
            chosen = tmp.path() + QStringLiteral("/link%1/").arg(n) + name;
            break;
        case CertCase::OtherCaseProject: {
            const QString other =
                tmp.path() + QStringLiteral("/PROJECTS/") + g_ProjectName.toLower() + QStringLiteral("/Certificates");
            ASSERT_NE(other, certDir());
            ASSERT_TRUE(plat::forceDirectories(other));
            chosen = other + u'/' + name;
            testing_support::writeAll(chosen, "new");
            break;
        }
        }
        dialogs.files.push_back(chosen);
        if (c.answer) dialogs.answers.push_back(*c.answer);
        d.Edit("E_TLS_CA_Cert")->setText("before");
        QTest::mouseClick(qobject_cast<TFadeButton*>(d.Control("Btn_TLS_CA_Cert")), Qt::LeftButton);

        bool asked = false;
        for (const auto& s : dialogs.shown)
            if (s.kind == Shown::YesNoCancel) {
                asked = true;
                EXPECT_EQ(s.text, "This file is already present in Certificates folder. Do you want to overwrite?");
            }
        EXPECT_EQ(asked, c.expectQuestion);
        EXPECT_TRUE(dialogs.errors().isEmpty()) << dialogs.errors().join('|').toStdString();
        EXPECT_EQ(d.Edit("E_TLS_CA_Cert")->text(), c.expectFilled ? name : QStringLiteral("before"));
        EXPECT_EQ(testing_support::readAll(certDir() + u'/' + name), QByteArray(c.expectContent));
        // The other boxes are untouched.
        EXPECT_EQ(d.Edit("E_TLS_Server_Cert")->text(), "");
    }
}

TEST_F(ParGenDialog, CertificateButtonsFillTheirOwnBoxes) {
    TFParGen d;
    showCertificateRows(d);
    const std::vector<std::pair<const char*, const char*>> pairs = {{"Btn_TLS_Server_Cert", "E_TLS_Server_Cert"},
                                                                    {"Btn_TLS_CA_Cert", "E_TLS_CA_Cert"},
                                                                    {"Btn_TLS_Client_Cert", "E_TLS_Client_Cert"},
                                                                    {"Btn_TLS_Client_Cert_Key", "E_TLS_Client_Cert_Key"}};
    const QString src = tmp.path() + QStringLiteral("/src");
    ASSERT_TRUE(plat::forceDirectories(src));
    for (const auto& [button, box] : pairs) {
        const QString file = src + u'/' + QString::fromLatin1(box) + QStringLiteral(".crt");
        testing_support::writeAll(file, box);
        dialogs.files.push_back(file);
        QTest::mouseClick(qobject_cast<TFadeButton*>(d.Control(button)), Qt::LeftButton);
        EXPECT_EQ(d.Edit(box)->text(), QString::fromLatin1(box) + QStringLiteral(".crt"));
        EXPECT_EQ(testing_support::readAll(certDir() + u'/' + QString::fromLatin1(box) + QStringLiteral(".crt")),
                  QByteArray(box));
    }
}

TEST_F(ParGenDialog, CertificateFolderIsCreatedFirstAndCancelOrMissingFileChangeNothing) {
    TFParGen d;
    showCertificateRows(d);
    d.Edit("E_TLS_Server_Cert")->setText("kept");
    ASSERT_FALSE(plat::dirExists(certDir()));
    QTest::mouseClick(qobject_cast<TFadeButton*>(d.Control("Btn_TLS_Server_Cert")), Qt::LeftButton);  // cancelled
    EXPECT_TRUE(plat::dirExists(certDir()));
    EXPECT_EQ(d.Edit("E_TLS_Server_Cert")->text(), "kept");

    dialogs.files.push_back(tmp.path() + QStringLiteral("/nowhere.pem"));
    QTest::mouseClick(qobject_cast<TFadeButton*>(d.Control("Btn_TLS_Server_Cert")), Qt::LeftButton);
    EXPECT_EQ(d.Edit("E_TLS_Server_Cert")->text(), "kept");
    EXPECT_TRUE(dialogs.errors().isEmpty());
    EXPECT_TRUE(plat::listFiles(certDir(), "*").isEmpty());
}

TEST_F(ParGenDialog, FailedCertificateCopyIsReportedAndLeavesTheBox) {
    TFParGen d;
    showCertificateRows(d);
    d.Edit("E_TLS_Client_Cert")->setText("kept");
    // A folder of the certificate's name in "Certificates" makes the copy fail.
    ASSERT_TRUE(plat::forceDirectories(certDir() + QStringLiteral("/client.pem")));
    const QString src = tmp.path() + QStringLiteral("/client.pem");
    testing_support::writeAll(src, "data");
    dialogs.files.push_back(src);
    QTest::mouseClick(qobject_cast<TFadeButton*>(d.Control("Btn_TLS_Client_Cert")), Qt::LeftButton);
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors().front().contains("client.pem"));
    EXPECT_EQ(d.Edit("E_TLS_Client_Cert")->text(), "kept");
}

// ------------------------------------------------------------------------------------------------
// Wheel and look

TEST_F(ParGenDialog, WheelOverThePanelsScrollsByTheSystemLines) {
    TFParGen d;
    showCertificateRows(d);
    showDialog(d);
    QScrollBar* bar = d.CPG->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 10 * bar->singleStep());
    const int savedLines = QApplication::wheelScrollLines();
    auto wheel = [&](QPoint at, int delta) {
        QWheelEvent e(at, d.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(&d, &e);
    };
    const QPoint overPanels = d.CPG->geometry().center();
    const QPoint overTitle(100, 20);
    const QPoint overButtons(100, d.height() - 10);
    struct Case {
        const char* what;
        int lines;
        QPoint at;
        int delta;
        int expectedSteps;  // from the start value
    };
    const Case cases[] = {
        {"one notch down with three lines", 3, overPanels, -120, 3},
        {"one notch up goes back", 3, overPanels, 120, 0},
        {"zero delta counts as down", 1, overPanels, 0, 1},
        {"over the title strip", 3, overTitle, -120, 0},
        {"over the buttons", 3, overButtons, -120, 0},
    };
    for (const Case& c : cases) {
        bar->setValue(0);
        QApplication::setWheelScrollLines(c.lines);
        if (c.delta > 0) bar->setValue(3 * bar->singleStep());
        wheel(c.at, c.delta);
        EXPECT_EQ(bar->value(), c.expectedSteps * bar->singleStep()) << c.what;
    }

    // A drop-down under the pointer never turns, even with the focus: it leaves the wheel to the
    // window (shown above), which scrolls the stack.
    d.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&d));
    QComboBox* type = d.Combo("CB_Select_Device_Device");
    type->setFocus();
    ASSERT_TRUE(type->hasFocus());
    for (int delta : {-120, 120, -120}) {
        const QPoint at = type->rect().center();
        QWheelEvent e(at, type->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(type, &e);
        EXPECT_FALSE(e.isAccepted()) << delta;
        EXPECT_EQ(type->currentIndex(), 0) << delta;
    }
    QApplication::setWheelScrollLines(savedLines);
}

TEST_F(ParGenDialog, ShownControlsInsideEachPanelNeitherOverlapNorLeaveIt) {
    g_SWCode = QString::fromLatin1(kSoftwareCode);
    pargen::Values v = pargen::fileMissingDefaults();
    // Every optional row on: Wi-Fi (access point, secured, DHCP), will and connection messages, TLS.
    for (const char16_t* n : {u"MQTT_WillFlag", u"MQTT_PublishTopicConnection", u"TLS_Enable", u"TLS_En_Server_Auth",
                              u"TLS_En_Client_Auth", u"WiFi_EN_DHCP", u"GSM_GPRS_ENABLE_SECOND_SIM"})
        v[QStringView(n)] = QStringLiteral("1");
    v[u"Select_Device"] = QStringLiteral("1");
    v[u"WiFi_Secure_Type"] = QStringLiteral("2");
    pargen::writeFile(g_ParGenFile, v);
    TFParGen d;
    EXPECT_EQ(d.L_SW_Code()->text(), "KS73632");
    EXPECT_EQ(d.TitleStrip()->height(), 69);
    showDialog(d);
    // Mobile panel expanded as well for the picture.
    d.Panel("CP_GSM_GPRS")->setEnabled(true);
    d.Panel("CP_GSM_GPRS")->Expand();
    for (plat::TCategoryPanel* p : d.CPG->stackedPanels()) {
        EXPECT_FALSE(p->collapsed()) << p->objectName().toStdString();
        QWidget* c = p->client();
        EXPECT_GE(c->width(), 440) << p->objectName().toStdString();
        QList<QWidget*> kids;
        for (QWidget* w : c->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (plat::ownVisible(w)) kids << w;
        for (QWidget* a : kids) {
            EXPECT_LE(a->geometry().right(), 440) << a->objectName().toStdString();
            EXPECT_LE(a->geometry().bottom() + d.CPG->HeaderHeight(), p->panelHeight())
                << a->objectName().toStdString();
            for (QWidget* b : kids)
                if (a < b) EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
        }
    }
    // Long captions fit their check boxes and labels.
    for (QCheckBox* cb : d.findChildren<QCheckBox*>())
        EXPECT_LE(cb->sizeHint().width(), cb->width()) << cb->objectName().toStdString();
    for (QLabel* l : d.CPG->findChildren<QLabel*>())
        EXPECT_LE(l->sizeHint().width(), l->width()) << l->objectName().toStdString();

    if (const QByteArray dir = qgetenv("CONF_SCREENSHOT_DIR"); !dir.isEmpty()) {
        d.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/pargen_dialog.png"));
        d.CPG->widget()->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/pargen_panels.png"));
    }
}
