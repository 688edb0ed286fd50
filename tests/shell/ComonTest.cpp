#include "platform/FormatSettings.h"
#include "shell/UComon.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>

namespace {

TEST(SharedState, ProjectPathsFollowTheOpenProject) {
    g_ProjectPath.clear();
    Set_Files();
    ASSERT_EQ(projectFiles().size(), 25u);
    for (const ProjectFile& f : projectFiles()) EXPECT_TRUE(f.variable->startsWith(u'/')) << f.fileName;
    EXPECT_EQ(g_ParGenFile, QStringLiteral("/ParGen.xml"));

    g_ProjectPath = QStringLiteral("/p/PROJECTS/A");
    Set_Files();
    g_ProjectPath = QStringLiteral("/p/PROJECTS/B");
    Set_Files();
    for (const ProjectFile& f : projectFiles())
        EXPECT_EQ(*f.variable, QStringLiteral("/p/PROJECTS/B/") + QString::fromLatin1(f.fileName));
    EXPECT_EQ(g_BACnetMasterAccessFile, QStringLiteral("/p/PROJECTS/B/BACnet_Master_Access.xml"));
    g_ProjectPath.clear();
    Set_Files();
}

TEST(SharedState, BuildIdentity) {
    QString a = QStringLiteral("old"), b = QStringLiteral("old");
    EXPECT_EQ(Get_Device_Protocols(a, b), 2);
    EXPECT_EQ(a, QStringLiteral("MQTT"));
    EXPECT_EQ(b, QStringLiteral("PROFINET Slave"));
    EXPECT_EQ(Get_Scan_Device_Code(), 18);
    EXPECT_EQ(Get_Scan_Form_Type(), 0);
    EXPECT_EQ(BACnet_No_Units(), 95);
    Set_App_Folders(QStringLiteral("/opt/conf"));
    EXPECT_EQ(g_MasterPath, QStringLiteral("/opt/conf/MASTER"));
    EXPECT_EQ(g_ProjectsRootPath, QStringLiteral("/opt/conf/PROJECTS"));
    EXPECT_EQ(g_LanguagePath, QStringLiteral("/opt/conf/LANGUAGE"));
}

// One table for every parser; the whole table runs once with "," and once with "." as the
// regional decimal separator.
class Parsers : public ::testing::TestWithParam<QChar> {
protected:
    void SetUp() override {
        plat::FormatSettings fs;
        fs.decimalSeparator = GetParam();
        fs.thousandSeparator = GetParam() == u',' ? QChar(u'.') : QChar(u',');
        plat::setFormatSettingsOverride(fs);
    }
    void TearDown() override { plat::setFormatSettingsOverride(std::nullopt); }
};

TEST_P(Parsers, CheckIPParts) {
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {{"192.168.2.205", true}, {" 192 . 168 . 2 . 205 ", true}, {"0.0.0.0", true},
                 {"255.255.255.255", true}, {"$C0.168.2.1", true}, {"10.0.0", false}, {"10.0.0.1.5", false},
                 {"10.0.0.256", false}, {"1.2.3.a", false}, {"", false}, {"1..2.3", false},
                 {"1.2.3.4.5", false}};
    for (const Case& c : cases) {
        QString p1, p2, p3, p4;
        EXPECT_EQ(Check_IP_Parts(QString::fromLatin1(c.text), p1, p2, p3, p4), c.valid) << c.text;
    }
    QString p1, p2, p3, p4;
    ASSERT_TRUE(Check_IP_Parts(QStringLiteral(" 10 .20. 30 .40"), p1, p2, p3, p4));
    EXPECT_EQ((QStringList{p1, p2, p3, p4}), (QStringList{"10", "20", "30", "40"}));
}

TEST_P(Parsers, SplitIPAddress) {
    struct Case {
        const char* text;
        bool error;
        uint8_t b[4];
    } cases[] = {{"192.168.1.10", false, {192, 168, 1, 10}},
                 {"1.2.3", true, {1, 2, 0, 3}},
                 {"1.2.3.4.5", true, {1, 2, 3, 0}},
                 {"1.300.3.4", true, {1, 0, 3, 4}}};
    for (const Case& c : cases) {
        uint8_t b[4] = {9, 9, 9, 9};
        EXPECT_EQ(Split_IP_Address(QString::fromLatin1(c.text), b[0], b[1], b[2], b[3]), c.error) << c.text;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(b[i], c.b[i]) << c.text << " byte " << i;
    }
    uint8_t b[4] = {9, 8, 7, 6};
    EXPECT_TRUE(Split_IP_Address(QString(), b[0], b[1], b[2], b[3]));
    EXPECT_EQ(b[0], 9);
    EXPECT_EQ(b[3], 6);  // untouched
}

TEST_P(Parsers, SplitIPPort) {
    struct Case {
        const char* text;
        bool valid;
        uint8_t b[4];
        uint16_t port;
    } cases[] = {{"192.168.1.10:47808", true, {192, 168, 1, 10}, 47808},
                 {" 10 . 1 . 2 . 3 : 502 ", true, {10, 1, 2, 3}, 502},
                 {"192.168.1.10", false, {0, 0, 0, 0}, 0},
                 {"192.168.1.10:70000", false, {0, 0, 0, 0}, 0},
                 {"192.168.1.256:1", false, {0, 0, 0, 0}, 0},
                 {"", false, {0, 0, 0, 0}, 0}};
    for (const Case& c : cases) {
        uint8_t b[4] = {9, 9, 9, 9};
        uint16_t port = 9;
        EXPECT_EQ(Split_IP_Port(QString::fromLatin1(c.text), b[0], b[1], b[2], b[3], port), c.valid) << c.text;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(b[i], c.b[i]) << c.text;
        EXPECT_EQ(port, c.port) << c.text;
    }
}

TEST_P(Parsers, CheckKNXAddress) {
    struct Case {
        const char* text;
        bool group;
        bool allowZero;
        int result;
    } cases[] = {{"1.1.1", false, false, 0},   {"0.0.0", false, false, 1},   {"0.0.0", false, true, 0},
                 {"16.0.1", false, true, 1},   {"15.15.255", false, false, 0}, {"1.1.1.1", false, true, 1},
                 {"1/1", false, true, 1},      {"1.2", false, true, 1},      {"31/7/255", true, false, 0}, {"0/0/0", true, true, 1},
                 {"31/2047", true, false, 0},  {"0/0", true, true, 1},       {"1/2.3", true, false, 1},
                 {"32/0/1", true, false, 1},   {"1/8/1", true, false, 1},    {"65535", false, false, 0},
                 {"65535", true, false, 0},    {"0", false, true, 1},        {"0", true, false, 1},
                 {"1/2/3/4", true, false, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(Check_KNX_Address(QString::fromLatin1(c.text), c.group, c.allowZero), c.result)
            << c.text << " group " << c.group << " zero " << c.allowZero;
    EXPECT_TRUE(Check_No_Point(QStringLiteral("1/2/3")));
    EXPECT_FALSE(Check_No_Point(QStringLiteral("1.2.3")));
}

TEST_P(Parsers, CheckOID) {
    const QString long62(62, u'1');
    struct Case {
        QString text;
        int result;
    } cases[] = {{QStringLiteral("1.3.6.1.2.1.1.1.0"), 0}, {long62, 1},
                 {QStringLiteral("1.3.a"), 2},            {QStringLiteral(".1.3"), 3},
                 {QStringLiteral("1.3."), 4},             {QStringLiteral("1..3"), 5},
                 {QStringLiteral("1.4294967296"), 6},     {QStringLiteral("1.4294967295"), 0},
                 {QString(), 6},                          {QStringLiteral("1 .3"), 2}};
    for (const Case& c : cases) EXPECT_EQ(Check_OID(c.text), c.result) << c.text.toStdString();
}

TEST_P(Parsers, SNMPUserPasswordAndSecurityLevel) {
    EXPECT_EQ(Check_SNMP_User_Password(QString(16, u'a'), true), 1);
    EXPECT_EQ(Check_SNMP_User_Password(QString(), true), 2);
    EXPECT_EQ(Check_SNMP_User_Password(QStringLiteral("abcdefg"), false), 2);
    EXPECT_EQ(Check_SNMP_User_Password(QStringLiteral("abc defgh"), false), 3);
    EXPECT_EQ(Check_SNMP_User_Password(QStringLiteral("user"), true), 0);
    EXPECT_EQ(Check_SNMP_User_Password(QStringLiteral("Passw0rd"), false), 0);
    EXPECT_EQ(Get_SNMP_Security_Level(QStringLiteral(" auth nopriv ")), 1);
    EXPECT_EQ(Get_SNMP_Security_Level(QStringLiteral("AUTH PRIV")), 3);
    EXPECT_EQ(Get_SNMP_Security_Level(QStringLiteral("  ")), -1);
    EXPECT_EQ(Get_SNMP_Security_Level(QStringLiteral("NOAUTH NOPRIV")), 0);
}

TEST_P(Parsers, DecimalSeparatorAndFloat) {
    EXPECT_EQ(Get_Decimal_Separator(), GetParam());
    // The caller passes the regional separator; either way of writing the decimals converts.
    float v = 0;
    EXPECT_TRUE(Str_To_Float_Sep(QStringLiteral("12.5"), GetParam(), v));
    EXPECT_FLOAT_EQ(v, 12.5f);
    EXPECT_TRUE(Str_To_Float_Sep(QStringLiteral("12,5"), GetParam(), v));
    EXPECT_FLOAT_EQ(v, 12.5f);
    EXPECT_TRUE(Str_To_Float_Sep(QStringLiteral(" 1e2 "), GetParam(), v));
    EXPECT_FLOAT_EQ(v, 100.0f);
    EXPECT_TRUE(Str_To_Float_Sep(QStringLiteral("-3"), GetParam(), v));
    EXPECT_FLOAT_EQ(v, -3.0f);
    v = 0;
    EXPECT_FALSE(Str_To_Float_Sep(QStringLiteral("abc"), u'.', v));
    EXPECT_FLOAT_EQ(v, 1.0f);
    EXPECT_FALSE(Str_To_Float_Sep(QString(), u'.', v));
    // Beyond single precision: no infinity, a failure with 1.0; the largest single still converts.
    for (const char* big : {"1e39", "-1e39", "3.5e38", "1e308"}) {
        v = 0;
        EXPECT_FALSE(Str_To_Float_Sep(QString::fromLatin1(big), GetParam(), v)) << big;
        EXPECT_FLOAT_EQ(v, 1.0f) << big;
    }
    EXPECT_TRUE(Str_To_Float_Sep(QStringLiteral("3e38"), GetParam(), v));
    EXPECT_FLOAT_EQ(v, 3e38f);
    // A separator that is not the regional one makes the conversion fail, as the rule says.
    const QChar other = GetParam() == u',' ? QChar(u'.') : QChar(u',');
    EXPECT_FALSE(Str_To_Float_Sep(QStringLiteral("12.5"), other, v));
}

INSTANTIATE_TEST_SUITE_P(Separators, Parsers, ::testing::Values(QChar(u','), QChar(u'.')),
                         [](const auto& info) { return info.param == u',' ? "Comma" : "Point"; });

TEST(Parsers, DecimalSeparatorFallsBackToComma) {
    plat::FormatSettings fs;
    fs.decimalSeparator = u'\u066B';
    plat::setFormatSettingsOverride(fs);
    EXPECT_EQ(Get_Decimal_Separator(), QChar(u','));
    plat::setFormatSettingsOverride(std::nullopt);
}

TEST(Parsers, SerialPortListIsSortedAndOnlyListsPresentDevices) {
    const QStringList ports = Get_COM_Port_List();
    for (const QString& p : ports) EXPECT_TRUE(p.startsWith(QStringLiteral("/dev/tty"))) << p.toStdString();
    QStringList sorted = ports;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        auto key = [](const QString& s) {
            const int fam = s.contains(QStringLiteral("USB")) ? 1 : s.contains(QStringLiteral("ACM")) ? 2 : 0;
            QString digits;
            for (QChar c : s)
                if (c.isDigit()) digits += c;
            return std::pair(fam, digits.toInt());
        };
        return key(a) < key(b);
    });
    EXPECT_EQ(ports, sorted);
}

// A device the user may not open is listed only when the kernel has a port behind it: the fixed
// serial device names exist on every machine, with or without a port.
TEST(Parsers, SerialPortPresence) {
    QTemporaryDir sys;
    auto entry = [&](const char* name, bool device, const char* type) {
        const QString dir = sys.path() + u'/' + QString::fromLatin1(name);
        EXPECT_TRUE(QDir().mkpath(device ? dir + QStringLiteral("/device") : dir));
        if (type) testing_support::writeAll(dir + QStringLiteral("/type"), type);
        return dir;
    };
    const QString uart = entry("ttyS0", true, "4\n");
    const QString noUart = entry("ttyS5", true, "0\n");
    const QString usb = entry("ttyUSB0", true, nullptr);
    const QString virtualTty = entry("ttyS9", false, nullptr);
    const struct {
        const char* what;
        int error;
        QString entry;
        bool present;
    } cases[] = {{"opened", 0, noUart, true},
                 {"held by another program", EBUSY, noUart, true},
                 {"no permission, a port behind it", EACCES, uart, true},
                 {"no permission, no port behind it", EACCES, noUart, false},
                 {"no permission, a plug-in adapter", EACCES, usb, true},
                 {"no permission, no device", EACCES, virtualTty, false},
                 {"no permission, unknown to the kernel", EACCES, sys.path() + QStringLiteral("/ttyS31"), false},
                 {"no hardware answers", EIO, uart, false},
                 {"gone", ENOENT, uart, false}};
    for (const auto& c : cases) EXPECT_EQ(Serial_Port_Present(c.error, c.entry), c.present) << c.what;
}

}  // namespace
