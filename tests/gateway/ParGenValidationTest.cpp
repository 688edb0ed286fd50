// Validation of the "Set Communication" dialog on OK: the steps in their order, the first failure
// wins with its one message, and nothing is written unless every check passes.
#include "gateway/UParGen.h"
#include "controls/FadeButton.h"
#include "platform/Files.h"
#include "platform/Form.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ParGenValidation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        Load_Default_Language();
        g_ProjectPath = tmp.path() + QStringLiteral("/PROJECTS/V");
        ASSERT_TRUE(plat::forceDirectories(g_ProjectPath));
        Set_Files();
    }
    void TearDown() override {
        g_ProjectPath.clear();
        Set_Files();
    }
    QTemporaryDir tmp;
    testing_support::RecordingDialogs dialogs;
};

struct Override {
    const char16_t* element;
    const char* value;
};

struct Case {
    const char* what;
    std::vector<Override> values;  // on top of a new project with a poll time of 60
    int text;                      // expected message entry; -1: passes (or `fixed`)
    const char* suffix = "";
    const char* fixed = nullptr;   // expected message that is not in the text table
};

}  // namespace

TEST_F(ParGenValidation, StepsInOrderFirstFailureWins) {
    const Case cases[] = {
        {"a new project without a poll time", {{u"NTP_Poll_Time", ""}}, 618},
        {"a new project with a poll time", {}, -1},
        {"largest poll time", {{u"NTP_Poll_Time", "10000000"}}, -1},
        {"poll time one too many", {{u"NTP_Poll_Time", "10000001"}}, 618},
        // Step 1 and 2: DNS only when enabled.
        {"DNS off ignores its octets", {{u"Eth_Conn_Primary_DNS2", "x"}}, -1},
        {"DNS on, primary octet 2 is 256", {{u"Eth_Conn_Enable_DNS", "1"}, {u"Eth_Conn_Primary_DNS2", "256"}}, 5180},
        {"DNS on, secondary octet 4 is no number", {{u"Eth_Conn_Enable_DNS", "1"}, {u"Eth_Conn_Secondary_DNS4", "x"}}, 5186},
        // Steps 4 to 6: the cable address.
        {"octet in hexadecimal", {{u"Ethernet_IP1", "$FF"}}, -1},
        {"octet 255", {{u"Ethernet_IP2", "255"}}, -1},
        {"octet with a trailing blank", {{u"Ethernet_IP3", "255 "}}, 578},
        {"empty octet", {{u"Ethernet_SM2", ""}}, 581},
        {"octet 256", {{u"Ethernet_SM4", "256"}}, 583},
        {"negative octet", {{u"Ethernet_IP4", "-1"}}, 579},
        {"address checked while cable DHCP disables it", {{u"Eth_Conn_DHCP_Cable", "1"}, {u"Ethernet_IP1", "300"}}, 576},
        {"gateway off accepts letters", {{u"Ethernet_GAT2", "ab"}}, -1},
        {"gateway on refuses letters", {{u"Ethernet_EN_GAT", "1"}, {u"Ethernet_GAT2", "ab"}}, 585},
        // Step 8: access point, also while the Wi-Fi panel is locked.
        {"access point address checked with the panel locked", {{u"WiFi_IP1", "300"}}, 5187},
        {"access point mask", {{u"WiFi_SM3", "x"}}, 5193},
        {"access point gateway off", {{u"WiFi_GAT4", "x"}}, -1},
        {"access point gateway on", {{u"WiFi_EN_Gateway", "1"}, {u"WiFi_GAT4", "x"}}, 5198},
        {"DHCP off ignores its range", {{u"WiFi_DHCP_First_IP2", "x"}, {u"WiFi_Lease_Time", "0"}}, -1},
        {"DHCP first address", {{u"WiFi_EN_DHCP", "1"}, {u"WiFi_DHCP_First_IP2", "x"}}, 5200},
        {"DHCP mask", {{u"WiFi_EN_DHCP", "1"}, {u"WiFi_DHCP_SM1", "256"}}, 5203},
        {"DHCP lease 0", {{u"WiFi_EN_DHCP", "1"}, {u"WiFi_Lease_Time", "0"}}, 5207},
        {"DHCP lease at its top", {{u"WiFi_EN_DHCP", "1"}, {u"WiFi_Lease_Time", "99999999"}}, -1},
        {"DHCP lease above its top", {{u"WiFi_EN_DHCP", "1"}, {u"WiFi_Lease_Time", "100000000"}}, 5207},
        // Step 9: station.
        {"station skips the access-point range", {{u"WiFi_Type", "1"}, {u"WiFi_EN_DHCP", "1"}, {u"WiFi_Lease_Time", "0"}}, -1},
        {"station address 1", {{u"WiFi_Type", "1"}, {u"WiFi_IP2", "x"}}, 5209},
        {"station address 1 gateway off", {{u"WiFi_Type", "1"}, {u"WiFi_GAT2", "x"}}, -1},
        {"station address 1 gateway on", {{u"WiFi_Type", "1"}, {u"WiFi_EN_Gateway", "1"}, {u"WiFi_GAT1", "x"}}, 5216},
        {"station address 2 mask", {{u"WiFi_Type", "1"}, {u"WiFi_IP2_SM2", "x"}}, 5225},
        {"station address 2 gateway off", {{u"WiFi_Type", "1"}, {u"WiFi_IP2_GAT1", "x"}}, -1},
        {"station address 2 gateway on", {{u"WiFi_Type", "1"}, {u"WiFi_IP2_EN_Gateway", "1"}, {u"WiFi_IP2_GAT3", "x"}}, 5230},
        {"station with Wi-Fi DHCP skips both addresses",
         {{u"WiFi_Type", "1"}, {u"Eth_Conn_DHCP_WiFi", "1"}, {u"WiFi_IP1", "x"}, {u"WiFi_IP2_IP1", "x"}}, -1},
        {"no Wi-Fi type counts as station", {{u"WiFi_Type", "7"}, {u"WiFi_IP1", "x"}}, 5208},
        // Steps 11 to 17: PROFINET.
        {"PROFINET address", {{u"PROFINET_IP4", "x"}}, 1945},
        {"PROFINET mask", {{u"PROFINET_SM1", "256"}}, 1946},
        {"PROFINET gateway on", {{u"PROFINET_EN_GAT", "1"}, {u"PROFINET_GAT3", ""}}, 1952},
        {"tunnel port 502", {{u"PROFINET_PORT", "502"}}, -1},
        {"tunnel port 65535", {{u"PROFINET_PORT", "65535"}}, -1},
        {"tunnel port 5000", {{u"PROFINET_PORT", "5000"}}, 1954},
        {"tunnel port 10000", {{u"PROFINET_PORT", "10000"}}, 1954},
        {"tunnel port 10001", {{u"PROFINET_PORT", "10001"}}, 1954},
        {"tunnel port 34962", {{u"PROFINET_PORT", "34962"}}, 1954},
        {"tunnel port 34963", {{u"PROFINET_PORT", "34963"}}, 1954},
        {"tunnel port 34964", {{u"PROFINET_PORT", "34964"}}, 1954},
        {"tunnel port 0", {{u"PROFINET_PORT", "0"}}, 1954},
        {"tunnel port 65536", {{u"PROFINET_PORT", "65536"}}, 1954},
        {"input bytes 1439", {{u"PROFINET_NB_IN", "1439"}}, 1955, "1438"},
        {"output bytes not a number", {{u"PROFINET_NB_OUT", "many"}}, 1956, "1438"},
        {"diagnostic off ignores its address", {{u"PROFINET_DIAGNOSTIC_ADDRESS", "x"}}, -1},
        {"diagnostic at the last place", {{u"PROFINET_ENABLE_DIAGNOSTIC", "1"}, {u"PROFINET_DIAGNOSTIC_ADDRESS", "1430"}}, -1},
        {"diagnostic one past", {{u"PROFINET_ENABLE_DIAGNOSTIC", "1"}, {u"PROFINET_DIAGNOSTIC_ADDRESS", "1431"}}, 1957, "1430"},
        {"diagnostic with no output bytes",
         {{u"PROFINET_ENABLE_DIAGNOSTIC", "1"}, {u"PROFINET_NB_OUT", "0"}, {u"PROFINET_DIAGNOSTIC_ADDRESS", "0"}}, 1957, "-8"},
        // The first failure wins.
        {"cable address before poll time", {{u"Ethernet_IP1", "x"}, {u"NTP_Poll_Time", ""}}, 576},
        {"DNS before cable address", {{u"Eth_Conn_Enable_DNS", "1"}, {u"Eth_Conn_Primary_DNS1", "x"}, {u"Ethernet_IP1", "x"}}, 5179},
        {"poll time before PROFINET", {{u"NTP_Poll_Time", "x"}, {u"PROFINET_IP1", "x"}}, 618},
        {"input bytes before diagnostic",
         {{u"PROFINET_NB_IN", "2000"}, {u"PROFINET_ENABLE_DIAGNOSTIC", "1"}, {u"PROFINET_DIAGNOSTIC_ADDRESS", "x"}}, 1955, "1438"},
        // Values the configuration image could not store unchanged.
        {"MQTT port 65535", {{u"MQTT_Server_Port", "65535"}}, -1},
        {"MQTT port 70000", {{u"MQTT_Server_Port", "70000"}}, -1, "", "Error MQTT!! Server Port must be between 0 and 65535"},
        {"negative MQTT port", {{u"MQTT_Server_Port", "-1"}}, -1, "", "Error MQTT!! Server Port must be between 0 and 65535"},
        {"MQTT port that is no number keeps the image default", {{u"MQTT_Server_Port", "abc"}}, -1},
        {"keep-alive 65536", {{u"MQTT_Keep_Alive", "65536"}}, -1, "", "Error MQTT!! Keep Alive must be between 0 and 65535 seconds"},
        {"send time hidden by this layout is not checked", {{u"MQTT_ASync_Send_Time", "-1"}}, -1},
        {"station name in Latin-1", {{u"PROFINET_NAME_STA", "stazione-\u00e8"}}, -1},
        {"station name beyond one byte", {{u"PROFINET_NAME_STA", "station-\u20ac"}}, -1, "",
         "Error!! \"Name of Station\" contains the character \"\u20ac\", which the device cannot store"},
        {"SSID beyond one byte", {{u"WiFi_SSID", "net\u03a9"}}, -1, "",
         "Error!! \"SSID\" contains the character \"\u03a9\", which the device cannot store"},
        {"host name beyond one byte", {{u"Eth_Conn_Device_Name", "h\u0109"}}, -1, "",
         "Error!! \"Device Name (Hostname)\" contains the character \"\u0109\", which the device cannot store"},
        {"MQTT password beyond one byte is fine", {{u"MQTT_Password", "p\u20ac"}}, -1},
        {"control character in the client ID", {{u"MQTT_Client_ID", "id\x01"}}, -1, "",
         "Error!! \"Client ID\" contains a character that cannot be saved (U+0001)"},
        {"tab and line break are fine", {{u"MQTT_Will_Message", "a\tb\nc"}}, -1},
    };
    TFParGen d;
    d.show();
    for (const Case& c : cases) {
        pargen::Values v = pargen::fileMissingDefaults();
        v[u"NTP_Poll_Time"] = QStringLiteral("60");
        for (const Override& o : c.values) v[QStringView(o.element)] = QString::fromUtf8(o.value);
        d.SetValues(v);
        d.Move_GroupBoxs();
        dialogs.clear();
        QFile::remove(g_ParGenFile);
        const bool ok = d.Controllo_Dati();
        QString expected;
        if (c.fixed) expected = QString::fromUtf8(c.fixed);
        else if (c.text >= 0) expected = Text_Table[c.text] + QString::fromLatin1(c.suffix);
        if (expected.isEmpty()) {
            EXPECT_TRUE(ok) << c.what << ": " << dialogs.errors().join('|').toStdString();
            EXPECT_TRUE(dialogs.shown.empty()) << c.what;
        } else {
            EXPECT_FALSE(ok) << c.what;
            EXPECT_EQ(dialogs.errors(), QStringList{expected}) << c.what;
        }
    }
}

TEST_F(ParGenValidation, RefusedOkWritesNothingAndKeepsTheDialogOpen) {
    pargen::Values v = pargen::fileMissingDefaults();
    v[u"NTP_Poll_Time"] = QStringLiteral("60");
    pargen::writeFile(g_ParGenFile, v);
    const QByteArray before = testing_support::readAll(g_ParGenFile);
    TFParGen d;
    d.show();
    d.Edit("E_PROFINET_NByte_In")->setText("1439");
    d.Edit("E_Ethernet_IP4")->setText("20");
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(dialogs.errors(), QStringList{Text_Table[1955] + "1438"});
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(testing_support::readAll(g_ParGenFile), before);
    // The values the user typed stay for correction.
    EXPECT_EQ(d.Edit("E_Ethernet_IP4")->text(), "20");
    d.Edit("E_PROFINET_NByte_In")->setText("1438");
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(d.ModalResult(), plat::mrOk);
    EXPECT_EQ(pargen::readFile(g_ParGenFile)[u"Ethernet_IP4"], "20");
}

TEST_F(ParGenValidation, DeviceNameCheck) {
    TFParGen d;
    const std::pair<const char*, bool> cases[] = {
        {"", false}, {"abcXYZ019", false}, {"gateway-1", true}, {"a b", true}, {"\u00e8", true}, {"_", true}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(d.Check_Device_Name(QString::fromUtf8(text)), expected) << text;
}

// The send time is hidden by this build's layout; a layout that shows it gets the range the image
// reads unchanged (a signed 32-bit integer), and the message names that range.
TEST_F(ParGenValidation, SendTimeRangeAgreesWithItsMessage) {
    const QString message = QStringLiteral("Error MQTT!! Send Time must be between 0 and 2147483647 seconds");
    const std::pair<const char*, bool> cases[] = {
        {"0", true},          {"2147483647", true}, {"$7FFFFFFF", true},  {"abc", true},  // no integer: image default
        {"2147483648", false}, {"3000000000", false}, {"4294967295", false}, {"$FFFFFFFF", false}, {"-1", false},
    };
    TFParGen d;
    d.show();
    for (const auto& [text, accepted] : cases) {
        pargen::Values v = pargen::fileMissingDefaults();
        v[u"NTP_Poll_Time"] = QStringLiteral("60");
        v[u"MQTT_ASync_Send_Time"] = QString::fromLatin1(text);
        d.SetValues(v);
        d.Move_GroupBoxs();
        d.Edit("E_MQTT_ASync_Send_Time")->setVisible(true);
        dialogs.clear();
        EXPECT_EQ(d.Controllo_Dati(), accepted) << text;
        EXPECT_EQ(dialogs.errors(), accepted ? QStringList{} : QStringList{message}) << text;
    }
}

// Values the layout hides cannot be corrected in the dialog: they never block OK and go back to
// the file exactly as they were read.
TEST_F(ParGenValidation, HiddenFieldsNeverBlockOkAndAreWrittenBackUnchanged) {
    pargen::Values v = pargen::fileMissingDefaults();
    v[u"NTP_Poll_Time"] = QStringLiteral("60");
    v[u"MQTT_ASync_Send_Time"] = QStringLiteral("-1");            // hidden by this build
    v[u"WiFi_Type"] = QStringLiteral("0");                         // access point ...
    v[u"WiFi_Secure_Type"] = QStringLiteral("0");                  // ... without security: no password row
    v[u"WiFi_PWD"] = QStringLiteral("pass\u20AC\u03A9");
    v[u"MQTT_Topic_DALI_Answer"] = QStringLiteral("dali/\u4E2D");       // hidden, beyond Latin-1 too
    pargen::writeFile(g_ParGenFile, v);
    const pargen::Values read = pargen::readFile(g_ParGenFile);

    TFParGen d;
    d.show();
    ASSERT_FALSE(plat::ownVisible(d.Edit("E_MQTT_ASync_Send_Time")));
    ASSERT_FALSE(plat::ownVisible(d.Edit("E_WiFi2_Password")));
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_TRUE(dialogs.errors().isEmpty()) << dialogs.errors().join('|').toStdString();
    EXPECT_EQ(d.ModalResult(), plat::mrOk);
    const pargen::Values back = pargen::readFile(g_ParGenFile);
    EXPECT_EQ(back, read);
    EXPECT_EQ(back[u"MQTT_ASync_Send_Time"], "-1");
    EXPECT_EQ(back[u"WiFi_PWD"], QStringLiteral("pass\u20AC\u03A9"));
    EXPECT_EQ(back[u"MQTT_Topic_DALI_Answer"], QStringLiteral("dali/\u4E2D"));

    // Shown, the same password is refused.
    d.Combo("CB_WiFi2_Secure_Type")->setCurrentIndex(1);
    d.Move_GroupBoxs();
    ASSERT_TRUE(plat::ownVisible(d.Edit("E_WiFi2_Password")));
    dialogs.clear();
    EXPECT_FALSE(d.Controllo_Dati());
    EXPECT_EQ(dialogs.errors().size(), 1);
}
