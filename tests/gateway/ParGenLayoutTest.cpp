// Layout of the "Set Communication" dialog: panel order and captions per model, row positions and
// panel heights, collapsing and locking by connection type, enabling by DHCP, re-layout triggers.
#include "gateway/UParGen.h"
#include "controls/FadeButton.h"
#include "platform/CategoryPanels.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace {

class ParGenLayout : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        Load_Default_Language();
        g_ProjectPath = tmp.path() + QStringLiteral("/PROJECTS/L");
        ASSERT_TRUE(plat::forceDirectories(g_ProjectPath));
        Set_Files();
    }
    void TearDown() override {
        g_ProjectPath.clear();
        Set_Files();
    }
    // Loads the values as a show does, which ends with the re-layout.
    void load(TFParGen& d, std::initializer_list<std::pair<const char16_t*, const char*>> values) {
        pargen::Values v = pargen::fileMissingDefaults();
        for (const auto& [n, x] : values) v[QStringView(n)] = QString::fromLatin1(x);
        pargen::writeFile(g_ParGenFile, v);
        d.hide();
        d.show();
    }
    QTemporaryDir tmp;
    testing_support::RecordingDialogs dialogs;
};

int top(TFParGen& d, const char* name) { return d.Control(QString::fromLatin1(name))->y(); }
bool shown(TFParGen& d, const char* name) { return plat::ownVisible(d.Control(QString::fromLatin1(name))); }
bool enabled(TFParGen& d, const char* name) { return plat::ownEnabled(d.Control(QString::fromLatin1(name))); }
int height(TFParGen& d, const char* panel) { return d.Panel(QString::fromLatin1(panel))->panelHeight(); }

QStringList captions(TFParGen& d) {
    QStringList out;
    for (plat::TCategoryPanel* p : d.CPG->stackedPanels()) out << p->caption();
    return out;
}

}  // namespace

TEST_F(ParGenLayout, ThisModelShowsNineNumberedPanelsInOrder) {
    TFParGen d;
    EXPECT_EQ(captions(d), (QStringList{"1. Select Device", "2. Ethernet Connection", "3. PROFINET", "4. MQTT",
                                        "5. Ethernet", "6. TLS (Transport Layer Security)",
                                        "7. NTP (Network Time Protocol)", "8. Wi-Fi", "9. GSM / GPRS / LTE"}));
    int i = 0;
    int y = 0;
    for (plat::TCategoryPanel* p : d.CPG->stackedPanels()) {
        EXPECT_EQ(p->TabOrder(), i++) << p->objectName().toStdString();
        EXPECT_EQ(p->geometry().top(), y) << p->objectName().toStdString();
        y += p->shownHeight();
    }
    int hidden = 0;
    for (plat::TCategoryPanel* p : d.CPG->panels()) hidden += p->isHidden() ? 1 : 0;
    EXPECT_EQ(d.CPG->panels().size(), 33);
    EXPECT_EQ(hidden, 24);

    // The keyboard goes from the last field of a panel to the first of the next one shown.
    d.show();
    d.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&d));
    d.Control("E_EthConn_Sec_DNS_IP4")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), d.Control("E_PROFINET_IP1"));
}

TEST_F(ParGenLayout, OtherModelsFromTheOrderTable) {
    EXPECT_EQ(TFParGen::ModelOrders().size(), 26u);
    EXPECT_EQ(TFParGen::FindModel(u"628"), nullptr);
    EXPECT_EQ(TFParGen::FindModel(u"630"), nullptr);
    TFParGen d;
    for (const TFParGen::ModelOrder& m : TFParGen::ModelOrders())
        for (const char* p : m.panels) EXPECT_NE(d.Panel(QString::fromLatin1(p)), nullptr) << m.code << " " << p;

    struct Case {
        const char* model;
        QStringList captions;
        const char* wifiPanel;  // the Wi-Fi panel it shows, if any
    };
    const Case cases[] = {
        {"611",
         {"1. Select Device", "2. Working Mode", "3. M-Bus", "4. M-Bus Wireless", "5. MQTT", "6. Ethernet", "7. Wi-Fi",
          "8. TLS (Transport Layer Security)", "9. NTP (Network Time Protocol)", "10. GSM / GPRS / LTE"},
         "CP_WiFi"},
        {"811_R1",
         {"1. Ethernet Connection", "2. J1939", "3. MQTT", "4. Ethernet", "5. TLS (Transport Layer Security)",
          "6. NTP (Network Time Protocol)"},
         nullptr},
        {"613",
         {"1. Select Device", "2. Ethernet Connection", "3. Working Mode", "4. Modbus Master", "5. MQTT", "6. Ethernet",
          "7. TLS (Transport Layer Security)", "8. NTP (Network Time Protocol)", "9. Wi-Fi", "10. GSM / GPRS / LTE"},
         "CP_WiFi2"},
    };
    for (const Case& c : cases) {
        for (plat::TCategoryPanel* p : d.CPG->panels()) p->hide();
        d.Order_TAB_Panels_Model(*TFParGen::FindModel(QString::fromLatin1(c.model)));
        EXPECT_EQ(captions(d), c.captions) << c.model;
        if (c.wifiPanel) EXPECT_FALSE(d.Panel(QString::fromLatin1(c.wifiPanel))->isHidden()) << c.model;
        EXPECT_EQ(d.CPG->stackedPanels().last()->TabOrder(), c.captions.size() - 1) << c.model;
    }

    // The J1939 and CAN variants without a connection type force "Only Ethernet Cable " first.
    d.Combo("CB_Select_Device_Device")->setCurrentIndex(1);
    EXPECT_TRUE(enabled(d, "CB_EthConn_En_DHCP_WiFi"));
    d.RePosition_Objects_Model(*TFParGen::FindModel(u"811_R1"));
    EXPECT_EQ(d.Combo("CB_Select_Device_Device")->currentIndex(), 0);
    EXPECT_FALSE(enabled(d, "CB_EthConn_En_DHCP_WiFi"));
}

TEST_F(ParGenLayout, ConnectionTypeCollapsesAndLocksWiFiAndMobile) {
    struct Case {
        const char* what;
        int type;
        bool wifiOpen, gsmOpen, wifiDhcpEnabled;
    };
    const Case cases[] = {
        {"only cable", 0, false, false, false},
        {"cable and Wi-Fi", 1, true, false, true},
        {"cable and mobile", 2, false, true, false},
        {"nothing selected", -1, false, true, true},
    };
    TFParGen d;
    d.show();
    plat::TCategoryPanel* wifi = d.Panel("CP_WiFi2");
    plat::TCategoryPanel* gsm = d.Panel("CP_GSM_GPRS");
    for (const Case& c : cases) {
        d.Check("CB_EthConn_En_DHCP_WiFi")->setChecked(true);
        d.Combo("CB_Select_Device_Device")->setCurrentIndex(c.type);  // the change re-lays the dialog
        EXPECT_EQ(!wifi->collapsed() && wifi->isEnabled(), c.wifiOpen) << c.what;
        EXPECT_EQ(wifi->collapsed() && !wifi->isEnabled(), !c.wifiOpen) << c.what;
        EXPECT_EQ(!gsm->collapsed() && gsm->isEnabled(), c.gsmOpen) << c.what;
        EXPECT_EQ(gsm->collapsed() && !gsm->isEnabled(), !c.gsmOpen) << c.what;
        EXPECT_EQ(enabled(d, "CB_EthConn_En_DHCP_WiFi"), c.wifiDhcpEnabled) << c.what;
        EXPECT_TRUE(d.Check("CB_EthConn_En_DHCP_WiFi")->isChecked()) << c.what;
        // The headers stay, numbered.
        EXPECT_EQ(wifi->caption(), "8. Wi-Fi");
        EXPECT_FALSE(wifi->isHidden());
        EXPECT_EQ(wifi->shownHeight(), c.wifiOpen ? wifi->panelHeight() : 24) << c.what;
        // A locked panel ignores its header.
        if (!c.wifiOpen) {
            QTest::mouseClick(wifi, Qt::LeftButton, {}, QPoint(40, 10));
            EXPECT_TRUE(wifi->collapsed()) << c.what;
        }
    }
}

TEST_F(ParGenLayout, AUserCollapsedWiFiPanelOpensAgainAtTheNextReLayout) {
    TFParGen d;
    load(d, {{u"Select_Device", "1"}});
    plat::TCategoryPanel* wifi = d.Panel("CP_WiFi2");
    ASSERT_FALSE(wifi->collapsed());
    QTest::mouseClick(wifi, Qt::LeftButton, {}, QPoint(40, 10));
    ASSERT_TRUE(wifi->collapsed());
    // A check box that re-lays the dialog.
    d.Check("CB_TLS_Enable")->setChecked(true);
    EXPECT_FALSE(wifi->collapsed());
    // One that does not leaves the user's choice.
    QTest::mouseClick(wifi, Qt::LeftButton, {}, QPoint(40, 10));
    d.Check("CB_MQTT_Clean_Session")->setChecked(true);
    EXPECT_TRUE(wifi->collapsed());
    // Other panels keep what the user did with them.
    QTest::mouseClick(d.Panel("CP_NTP"), Qt::LeftButton, {}, QPoint(40, 10));
    d.Check("CB_TLS_Enable")->setChecked(false);
    EXPECT_TRUE(d.Panel("CP_NTP")->collapsed());
    EXPECT_FALSE(wifi->collapsed());
}

TEST_F(ParGenLayout, FixedPanelsHaveTheirHeights) {
    TFParGen d;
    load(d, {});
    const std::pair<const char*, int> heights[] = {{"CP_Select_Device", 67}, {"CP_Ethernet_Connection", 206},
                                                   {"CP_PROFINET", 263},     {"CP_Ethernet", 123},
                                                   {"CP_NTP", 94},           {"CP_TLS", 65},
                                                   {"CP_MQTT", 292},         {"CP_WiFi2", 291},
                                                   {"CP_GSM_GPRS", 205}};
    for (const auto& [p, h] : heights) EXPECT_EQ(height(d, p), h) << p;
    // The Ethernet panel never shows its DNS, port or reset rows; the DNS edits above stay enabled.
    for (const char* n : {"CB_Ethernet_En_DNS", "E_Ethernet_DNS1", "L_Dot_Ethernet_DNS_3", "E_Ethernet_TCP_Port",
                          "L_Ethernet_UDP_Port", "CB_Ethernet_Reset_24h"})
        EXPECT_FALSE(shown(d, n)) << n;
    for (const char* n : {"E_MQTT_ASync_Send_Time", "L_MQTT_TopicDALIAns", "CB_MQTT_Enable_ReProgram",
                          "E_MQTT_Reprogram_Topic", "E_MQTT_Reproram_Value"})
        EXPECT_FALSE(shown(d, n)) << n;
    for (bool dns : {false, true}) {
        d.Check("CB_EthConn_Enable_DNS")->setChecked(dns);
        EXPECT_TRUE(enabled(d, "E_EthConn_Pri_DNS_IP1") && shown(d, "E_EthConn_Sec_DNS_IP4"));
    }
}

TEST_F(ParGenLayout, MqttRows) {
    struct Case {
        const char* will;
        const char* publish;
        int publishTop, usernameTop, passwordTop, panelHeight;
    };
    const Case cases[] = {
        {"0", "0", 180, 208, 236, 292},
        {"0", "1", 180, 292, 320, 376},
        {"1", "0", 292, 320, 348, 404},
        {"1", "1", 292, 404, 432, 488},
    };
    TFParGen d;
    for (const Case& c : cases) {
        load(d, {{u"MQTT_WillFlag", c.will}, {u"MQTT_PublishTopicConnection", c.publish}});
        const std::string what = std::string("will ") + c.will + ", publish " + c.publish;
        EXPECT_EQ(top(d, "CB_MQTT_PublishTopicConnection"), c.publishTop) << what;
        EXPECT_EQ(top(d, "L_MQTT_Username"), c.usernameTop) << what;
        EXPECT_EQ(top(d, "E_MQTT_Username"), c.usernameTop - 3) << what;
        EXPECT_EQ(top(d, "L_MQTT_Password"), c.passwordTop) << what;
        EXPECT_EQ(height(d, "CP_MQTT"), c.panelHeight) << what;
        EXPECT_EQ(shown(d, "E_MQTT_Will_TopicName"), *c.will == '1') << what;
        EXPECT_EQ(shown(d, "CB_MQTT_Will_QoS"), *c.will == '1') << what;
        EXPECT_EQ(shown(d, "CB_MQTT_Connection_Retained"), *c.publish == '1') << what;
        if (*c.publish == '1') EXPECT_EQ(top(d, "L_MQTT_Connection_TopicName"), c.publishTop + 28) << what;
    }
    // Ticking the will flag re-lays at once.
    d.Check("CB_MQTT_WillFlag")->setChecked(false);
    EXPECT_EQ(height(d, "CP_MQTT"), 376);
}

TEST_F(ParGenLayout, TlsRows) {
    struct Case {
        const char* enable;
        const char* server;
        const char* client;
        int clientAuthTop;  // -1: hidden
        int panelHeight;
    };
    const Case cases[] = {
        {"0", "1", "1", -1, 65},
        {"1", "0", "0", 68, 121},
        {"1", "1", "0", 91, 144},
        {"1", "0", "1", 68, 234},
        {"1", "1", "1", 91, 257},
    };
    TFParGen d;
    for (const Case& c : cases) {
        load(d, {{u"TLS_Enable", c.enable}, {u"TLS_En_Server_Auth", c.server}, {u"TLS_En_Client_Auth", c.client}});
        const std::string what = std::string(c.enable) + c.server + c.client;
        EXPECT_EQ(height(d, "CP_TLS"), c.panelHeight) << what;
        EXPECT_EQ(shown(d, "CB_TLS_En_Client_Auth"), c.clientAuthTop >= 0) << what;
        if (c.clientAuthTop >= 0) EXPECT_EQ(top(d, "CB_TLS_En_Client_Auth"), c.clientAuthTop) << what;
        const bool serverRow = *c.enable == '1' && *c.server == '1';
        EXPECT_EQ(shown(d, "Btn_TLS_Server_Cert"), serverRow) << what;
        if (serverRow) {
            EXPECT_EQ(top(d, "L_TLS_Server_Cert"), 68);
            EXPECT_EQ(top(d, "E_TLS_Server_Cert"), 63);
            EXPECT_EQ(top(d, "Btn_TLS_Server_Cert"), 63);
        }
        const bool clientRows = *c.enable == '1' && *c.client == '1';
        EXPECT_EQ(shown(d, "Btn_TLS_Client_Cert_Key"), clientRows) << what;
        if (clientRows) {
            EXPECT_EQ(top(d, "L_TLS_CA_Cert"), c.clientAuthTop + 28) << what;
            EXPECT_EQ(top(d, "Btn_TLS_CA_Cert"), c.clientAuthTop + 25) << what;
            EXPECT_EQ(top(d, "E_TLS_Client_Cert_Key_Pass"), c.clientAuthTop + 4 * 28 - 3) << what;
        }
    }
}

TEST_F(ParGenLayout, WiFiRows) {
    struct Case {
        const char* what;
        std::initializer_list<std::pair<const char16_t*, const char*>> values;
        std::vector<std::pair<const char*, int>> tops;  // label Tops of the placed rows
        std::vector<const char*> hidden;
        int panelHeight;
    };
    const Case cases[] = {
        {"access point, unsecured, DHCP off",
         {{u"Select_Device", "1"}},
         {{"L_WiFi2_IP1_IP", 40}, {"L_WiFi2_IP1_SM", 68}, {"CB_WiFi2_IP1_En_GAT", 96}, {"L_WiFi2_SSID", 124},
          {"L_WiFi2_Secure_Type", 152}, {"CB_WiFi2_En_DHCP", 180}, {"L_WiFi2_Max_Client", 208}, {"L_WiFi2_Channel", 236}},
         {"L_WiFi2_IP1", "L_WiFi2_IP2", "E_WiFi2_IP2_IP1", "L_Dot_WiFi2_IP2_GAT_3", "E_WiFi2_Password",
          "E_WiFi2_DHCP_First_IP1", "E_WiFi2_Lease_Time"},
         291},
        {"access point, WPA, DHCP on",
         {{u"Select_Device", "1"}, {u"WiFi_Secure_Type", "1"}, {u"WiFi_EN_DHCP", "1"}},
         {{"L_WiFi2_IP1_IP", 40}, {"L_WiFi2_SSID", 124}, {"L_WiFi2_Secure_Type", 152}, {"L_WiFi2_Password", 180},
          {"CB_WiFi2_En_DHCP", 208}, {"L_WiFi2_DHCP_First_IP", 236}, {"L_WiFi2_DHCP_SM", 264}, {"L_WiFi2_Lease_Time", 292},
          {"L_WiFi2_Max_Client", 320}, {"L_WiFi2_Channel", 348}},
         {"L_WiFi2_IP2", "E_WiFi2_IP2_GAT4"},
         403},
        {"access point with no secure type hides the password",
         {{u"Select_Device", "1"}, {u"WiFi_Secure_Type", "9"}},
         {{"CB_WiFi2_En_DHCP", 180}},
         {"E_WiFi2_Password"},
         291},
        {"station, two addresses",
         {{u"Select_Device", "1"}, {u"WiFi_Type", "1"}, {u"WiFi_Secure_Type", "2"}, {u"WiFi_EN_DHCP", "1"}},
         {{"L_WiFi2_IP1", 40}, {"L_WiFi2_IP1_IP", 68}, {"L_WiFi2_IP1_SM", 96}, {"CB_WiFi2_IP1_En_GAT", 124},
          {"L_WiFi2_IP2", 152}, {"L_WiFi2_IP2_IP", 180}, {"L_WiFi2_IP2_SM", 208}, {"CB_WiFi2_IP2_En_GAT", 236},
          {"L_WiFi2_SSID", 264}, {"L_WiFi2_Password", 292}},
         {"CB_WiFi2_Secure_Type", "CB_WiFi2_En_DHCP", "E_WiFi2_DHCP_SM4", "E_WiFi2_Lease_Time", "CB_WiFi2_Max_Client",
          "CB_WiFi2_Channel"},
         346},
    };
    TFParGen d;
    for (const Case& c : cases) {
        load(d, c.values);
        for (const auto& [n, t] : c.tops) {
            EXPECT_TRUE(shown(d, n)) << c.what << " " << n;
            EXPECT_EQ(top(d, n), t) << c.what << " " << n;
        }
        for (const char* n : c.hidden) EXPECT_FALSE(shown(d, n)) << c.what << " " << n;
        EXPECT_EQ(height(d, "CP_WiFi2"), c.panelHeight) << c.what;
    }
    // Station: headings name the protocols; inputs sit 3 above their label, gateway octets 2 above.
    EXPECT_EQ(d.Label("L_WiFi2_IP1")->text(), "IP Address 1 - PROFINET Slave");
    EXPECT_EQ(d.Label("L_WiFi2_IP2")->text(), "IP Address 2 - MQTT");
    EXPECT_EQ(top(d, "E_WiFi2_IP2_IP3"), 177);
    EXPECT_EQ(top(d, "L_Dot_WiFi2_IP2_IP_2"), 180);
    EXPECT_EQ(top(d, "E_WiFi2_IP2_GAT1"), 234);
    // Relabelling restores the plain headings until the next re-layout.
    d.Set_Lang();
    EXPECT_EQ(d.Label("L_WiFi2_IP1")->text(), Text_Table[5105]);
}

TEST_F(ParGenLayout, SecondSimRows) {
    TFParGen d;
    load(d, {{u"Select_Device", "2"}});
    EXPECT_EQ(height(d, "CP_GSM_GPRS"), 205);
    for (const char* n : {"L_GSM_GPRS_PIN2", "E_GSM_GPRS_PIN2", "CB_GSM_GPRS_AuthType2", "E_GSM_GPRS_Password2",
                          "L_GSM_GPRS_Main_SIM", "CB_GSM_GPRS_Main_SIM"})
        EXPECT_FALSE(shown(d, n)) << n;
    d.Check("CB_GSM_GPRS_En_Second_SIM")->setChecked(true);
    EXPECT_EQ(height(d, "CP_GSM_GPRS"), 375);
    EXPECT_TRUE(shown(d, "CB_GSM_GPRS_Main_SIM"));
    EXPECT_EQ(top(d, "L_GSM_GPRS_Main_SIM"), 320);
}

TEST_F(ParGenLayout, CableDhcpDisablesExactlyTheTwoAddressBlocks) {
    TFParGen d;
    load(d, {{u"Select_Device", "1"}});
    std::set<QString> block;
    for (const char* prefix : {"E_Ethernet_IP", "E_Ethernet_SM", "E_Ethernet_GAT", "E_PROFINET_IP", "E_PROFINET_SM",
                               "E_PROFINET_GAT"})
        for (int i = 1; i <= 4; ++i) block.insert(QString::fromLatin1(prefix) + QString::number(i));
    block.insert("CB_Ethernet_En_GAT");
    block.insert("CB_PROFINET_GAT");
    const QString ip4 = d.Edit("E_PROFINET_IP4")->text();

    d.Check("CB_EthConn_En_DHCP_Cable")->setChecked(true);
    QStringList disabled;
    for (plat::TCategoryPanel* p : d.CPG->stackedPanels()) {
        if (!plat::ownEnabled(p)) disabled << p->objectName();
        for (QWidget* w : p->client()->findChildren<QWidget*>())
            if (!w->objectName().isEmpty() && !plat::ownEnabled(w)) disabled << w->objectName();
    }
    disabled.sort();
    QStringList expected(block.begin(), block.end());
    // Locked by the connection type, not by the cable DHCP.
    disabled.removeAll("CP_GSM_GPRS");
    disabled.removeAll("CB_EthConn_En_DHCP_WiFi");
    EXPECT_EQ(disabled, expected);
    EXPECT_EQ(d.Edit("E_PROFINET_IP4")->text(), ip4);

    d.Check("CB_EthConn_En_DHCP_Cable")->setChecked(false);
    for (const QString& n : block) EXPECT_TRUE(plat::ownEnabled(d.Control(n))) << n.toStdString();
}

TEST_F(ParGenLayout, WiFiDhcpDisablesTheStationAddresses) {
    TFParGen d;
    load(d, {{u"Select_Device", "1"}, {u"WiFi_Type", "1"}, {u"Eth_Conn_DHCP_WiFi", "1"}});
    for (const char* n : {"E_WiFi2_IP1_IP1", "E_WiFi2_IP1_SM4", "CB_WiFi2_IP1_En_GAT", "E_WiFi2_IP2_GAT4",
                          "CB_WiFi2_IP2_En_GAT"})
        EXPECT_FALSE(enabled(d, n)) << n;
    EXPECT_TRUE(enabled(d, "E_WiFi2_SSID"));
    d.Combo("CB_WiFi2_Type")->setCurrentIndex(0);
    EXPECT_TRUE(enabled(d, "E_WiFi2_IP1_IP1"));
    EXPECT_TRUE(enabled(d, "CB_WiFi2_IP1_En_GAT"));
    EXPECT_FALSE(shown(d, "E_WiFi2_IP2_IP1"));
}

TEST_F(ParGenLayout, PanelsStackWithoutGapsAsHeightsChange) {
    TFParGen d;
    load(d, {{u"Select_Device", "1"}, {u"TLS_Enable", "1"}});
    auto contiguous = [&] {
        int y = 0;
        for (plat::TCategoryPanel* p : d.CPG->stackedPanels()) {
            if (p->geometry().top() != y) return false;
            y += p->shownHeight();
        }
        return d.CPG->widget()->height() == y;
    };
    EXPECT_TRUE(contiguous());
    const int tlsTop = d.Panel("CP_TLS")->geometry().top();
    d.Check("CB_MQTT_WillFlag")->setChecked(true);
    EXPECT_TRUE(contiguous());
    EXPECT_EQ(d.Panel("CP_TLS")->geometry().top(), tlsTop + 112);
}

TEST_F(ParGenLayout, WidthSpringsBackTo460) {
    TFParGen d;
    d.show();
    EXPECT_EQ(d.width(), 460);
    EXPECT_EQ(d.height(), 700);
    d.resize(600, 800);
    EXPECT_EQ(d.width(), 460);
    EXPECT_EQ(d.height(), 800);
    EXPECT_EQ(d.CPG->height(), 800 - 69 - 40);
    EXPECT_EQ(d.Btn_Cancel->mapTo(&d, QPoint(0, 0)).x() + d.Btn_Cancel->width(), 460 - 8);
}
