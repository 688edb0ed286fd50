// "ParGen.xml": the element table, reading with its defaults and conversions, writing, round trips.
#include "gateway/ParGenFile.h"
#include "platform/XmlDoc.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>
#include <set>

using pargen::Kind;

namespace {

QString name(int i) { return QString::fromLatin1(pargen::elements()[static_cast<size_t>(i)].name); }

// A value for every element that differs from its default, whitespace-only texts included.
pargen::Values distinctValues() {
    pargen::Values v;
    const auto els = pargen::elements();
    for (int i = 0; i < pargen::kElementCount; ++i) {
        const auto& e = els[static_cast<size_t>(i)];
        switch (e.kind) {
        case Kind::Text:
            switch (i % 5) {
            case 0: v[i] = QStringLiteral(" "); break;
            case 1: v[i] = QStringLiteral("  \t \n "); break;
            case 2: v[i] = QStringLiteral("a<b>&c\"d'e %1").arg(i); break;
            case 3: v[i] = QStringLiteral(" lead and trail %1 ").arg(i); break;
            default: v[i] = QStringLiteral("0%1 \u00e8\u20ac").arg(i); break;
            }
            break;
        case Kind::Check:
        case Kind::CheckInt:
            v[i] = QString::fromLatin1(e.defaultValue) == u"1" ? QStringLiteral("0") : QStringLiteral("1");
            break;
        case Kind::Index:
            v[i] = QString::number(e.itemCount - 1 == QString::fromLatin1(e.defaultValue).toInt() ? 0 : e.itemCount - 1);
            break;
        case Kind::ItemText:
            v[i] = QString::fromLatin1(e.items.back());
            break;
        }
    }
    return v;
}

struct Parsed {
    QString firstToken;                         // kind of the document's first node
    QString rootName;
    std::vector<std::pair<QString, QString>> elements;  // in document order
    QStringList commentsAfterRoot;
    QStringList otherNodesAfterRoot;
    bool wellFormed = false;
};

// An independent reading of the written bytes, by Qt's stream reader.
Parsed parseIndependently(const QByteArray& bytes) {
    Parsed p;
    QXmlStreamReader r(bytes);
    int depth = 0;
    bool rootDone = false;
    QString current;
    QString text;
    while (!r.atEnd()) {
        const auto t = r.readNext();
        if (t == QXmlStreamReader::StartDocument) continue;
        if (p.firstToken.isEmpty()) p.firstToken = r.tokenString();
        if (t == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1) p.rootName = r.name().toString();
            if (depth == 2) {
                current = r.name().toString();
                text.clear();
            }
            if (depth > 2) p.otherNodesAfterRoot << QStringLiteral("nested ") + r.name().toString();
        } else if (t == QXmlStreamReader::Characters) {
            if (depth == 2) text += r.text();
            else if (rootDone) p.otherNodesAfterRoot << QStringLiteral("text");
        } else if (t == QXmlStreamReader::EndElement) {
            if (depth == 2) p.elements.emplace_back(current, text);
            if (depth == 1) rootDone = true;
            --depth;
        } else if (t == QXmlStreamReader::Comment) {
            if (rootDone) p.commentsAfterRoot << r.text().toString();
            else p.otherNodesAfterRoot << QStringLiteral("comment inside");
        } else if (t != QXmlStreamReader::EndDocument) {
            p.otherNodesAfterRoot << r.tokenString();
        }
    }
    p.wellFormed = !r.hasError();
    return p;
}

}  // namespace

TEST(ParGenTable, CountsByPrefixNamesAndKinds) {
    const auto els = pargen::elements();
    ASSERT_EQ(els.size(), 130u);
    // Longest prefix first: "Select_Device" and the rest are disjoint.
    const std::vector<std::pair<QString, int>> prefixes = {
        {"Select_Device", 1}, {"Eth_Conn_", 12}, {"MQTT_", 21}, {"Ethernet_", 13}, {"WiFi_", 42},
        {"TLS_", 8},          {"NTP_", 2},       {"PROFINET_", 19}, {"GSM_GPRS_", 12}};
    std::map<QString, int> counted;
    std::set<QString> names;
    for (const auto& e : els) {
        const QString n = QString::fromLatin1(e.name);
        EXPECT_TRUE(names.insert(n).second) << "duplicate " << e.name;
        int matches = 0;
        for (const auto& [p, _] : prefixes)
            if (n.startsWith(p)) {
                ++counted[p];
                ++matches;
            }
        EXPECT_EQ(matches, 1) << e.name;
    }
    for (const auto& [p, n] : prefixes) EXPECT_EQ(counted[p], n) << p.toStdString();

    // The six integer checks, the positional drop-downs with their sizes, the three kept by text.
    std::set<QString> checkInt, itemText;
    std::map<QString, int> index;
    for (const auto& e : els) {
        if (e.kind == Kind::CheckInt) checkInt.insert(e.name);
        if (e.kind == Kind::ItemText) itemText.insert(e.name);
        if (e.kind == Kind::Index) index[e.name] = e.itemCount;
    }
    EXPECT_EQ(checkInt, (std::set<QString>{"WiFi_EN_Gateway", "WiFi_IP2_EN_Gateway", "WiFi_EN_DHCP", "TLS_Enable",
                                           "TLS_En_Server_Auth", "TLS_En_Client_Auth"}));
    EXPECT_EQ(itemText, (std::set<QString>{"GSM_GPRS_AUTHTYPE", "GSM_GPRS_AUTHTYPE_2", "GSM_GPRS_MAIN_SIM"}));
    EXPECT_EQ(index, (std::map<QString, int>{{"Select_Device", 3}, {"MQTT_Will_QoS", 3}, {"WiFi_Type", 2},
                                             {"WiFi_Secure_Type", 4}, {"WiFi_Max_Client", 10}, {"WiFi_Channel", 12}}));
    // Spot checks of the order: first, a middle one, last.
    EXPECT_EQ(name(0), "Select_Device");
    EXPECT_EQ(name(29), "MQTT_ASync_Send_Time");
    EXPECT_EQ(name(89), "TLS_Enable");
    EXPECT_EQ(name(129), "GSM_GPRS_MAIN_SIM");
    EXPECT_EQ(pargen::indexOf(u"WiFi_Channel"), 88);
    EXPECT_EQ(pargen::indexOf(u"wifi_channel"), -1);
}

TEST(ParGenDefaults, MissingFileAndMissingElementDifferOnlyInSendTime) {
    const pargen::Values el = pargen::elementDefaults();
    const pargen::Values file = pargen::fileMissingDefaults();
    std::map<QString, std::pair<QString, QString>> differing;
    for (int i = 0; i < pargen::kElementCount; ++i)
        if (el[i] != file[i]) differing[name(i)] = {el[i], file[i]};
    const std::map<QString, std::pair<QString, QString>> expected = {{"MQTT_ASync_Send_Time", {"", "10"}}};
    EXPECT_EQ(differing, expected);

    // What a new project shows.
    const std::vector<std::pair<const char16_t*, const char*>> newProject = {
        {u"Ethernet_IP1", "192"}, {u"Ethernet_IP4", "10"}, {u"Ethernet_SM3", "255"}, {u"Ethernet_SM4", "0"},
        {u"Ethernet_GAT4", "1"}, {u"WiFi_IP4", "100"}, {u"WiFi_IP2_IP4", "110"}, {u"WiFi_DHCP_First_IP4", "200"},
        {u"WiFi_Lease_Time", "86400"}, {u"PROFINET_IP4", "5"}, {u"PROFINET_GAT4", "1"}, {u"PROFINET_PORT", "2000"},
        {u"PROFINET_NAME_STA", "devicename1"}, {u"PROFINET_NB_IN", "1438"}, {u"PROFINET_NB_OUT", "1438"},
        {u"Eth_Conn_Primary_DNS1", "8"}, {u"Eth_Conn_Secondary_DNS4", "8"}, {u"MQTT_Server_Port", "1883"},
        {u"MQTT_ASync_Send_Time", "10"}, {u"WiFi_Channel", "1"}, {u"WiFi_Max_Client", "0"},
        {u"GSM_GPRS_AUTHTYPE", "None"}, {u"GSM_GPRS_MAIN_SIM", "SIM 1"}, {u"PROFINET_DIAGNOSTIC_ADDRESS", "0"},
        {u"NTP_Poll_Time", ""}};
    for (const auto& [n, v] : newProject) EXPECT_EQ(file[QStringView(n)], QString::fromLatin1(v)) << QStringView(n).toString().toStdString();
    for (int i = 0; i < pargen::kElementCount; ++i)
        if (pargen::elements()[static_cast<size_t>(i)].kind == Kind::Check ||
            pargen::elements()[static_cast<size_t>(i)].kind == Kind::CheckInt)
            EXPECT_EQ(file[i], "0") << name(i).toStdString();
}

TEST(ParGenRead, ElementConversions) {
    struct Case {
        const char* what;
        const char16_t* element;
        const char* stored;  // nullptr: element missing
        const char* expected;
    };
    const Case cases[] = {
        {"integer check ticked by 01", u"TLS_Enable", "01", "1"},
        {"integer check with leading blanks", u"WiFi_EN_DHCP", "  1", "1"},
        {"integer check in hexadecimal", u"TLS_En_Client_Auth", "$1", "1"},
        {"integer check with a trailing blank", u"TLS_Enable", "1 ", "0"},
        {"integer check of another number", u"WiFi_EN_Gateway", "2", "0"},
        {"integer check that is no integer", u"TLS_En_Server_Auth", "yes", "0"},
        {"plain check not ticked by 01", u"MQTT_Clean_Session", "01", "0"},
        {"plain check ticked by 1", u"MQTT_Clean_Session", "1", "1"},
        {"plain check with a blank", u"Eth_Conn_DHCP_Cable", " 1", "0"},
        {"missing check", u"Ethernet_EN_GAT", nullptr, "0"},
        {"index in range", u"WiFi_Max_Client", "9", "9"},
        {"index one past the list", u"WiFi_Max_Client", "10", "-1"},
        {"index far out of range", u"WiFi_Max_Client", "12", "-1"},
        {"negative index", u"Select_Device", "-1", "-1"},
        {"hexadecimal index", u"Select_Device", "0x2", "2"},
        {"index with leading zeros", u"WiFi_Secure_Type", "003", "3"},
        {"index that is no integer", u"WiFi_Type", "AP", "0"},
        {"channel that is no integer", u"WiFi_Channel", "auto", "1"},
        {"empty channel", u"WiFi_Channel", "", "1"},
        {"missing channel", u"WiFi_Channel", nullptr, "1"},
        {"channel 0", u"WiFi_Channel", "0", "0"},
        {"item text in lower case", u"GSM_GPRS_AUTHTYPE", "pap", "PAP"},
        {"longer item text in mixed case", u"GSM_GPRS_AUTHTYPE_2", "pAp Or cHaP", "PAP or CHAP"},
        {"item text that is no item", u"GSM_GPRS_AUTHTYPE", "MSCHAP", "None"},
        {"item text with a blank", u"GSM_GPRS_MAIN_SIM", " SIM 2", "SIM 1"},
        {"second SIM", u"GSM_GPRS_MAIN_SIM", "sim 2", "SIM 2"},
        {"text kept verbatim", u"Ethernet_IP1", "0010", "0010"},
        {"whitespace-only text", u"MQTT_Client_ID", "   ", "   "},
        {"empty send time element", u"MQTT_ASync_Send_Time", "", ""},
        {"missing send time element", u"MQTT_ASync_Send_Time", nullptr, ""},
        {"missing octet", u"PROFINET_IP4", nullptr, "5"},
    };
    for (const Case& c : cases) {
        QByteArray xml = "<Par_Gen>";
        if (c.stored) {
            const QByteArray n = QStringView(c.element).toUtf8();
            xml += "<" + n + ">" + c.stored + "</" + n + ">";
        }
        xml += "</Par_Gen>";
        const pargen::Values v = pargen::fromBytes(xml);
        EXPECT_EQ(v[QStringView(c.element)], QString::fromLatin1(c.expected)) << c.what;
    }
}

TEST(ParGenRead, RootAndLookupRules) {
    // The root's name is not checked; the first element of a name counts; nested ones are not looked at.
    const pargen::Values v = pargen::fromBytes(
        "<Other><Ethernet_IP1>1</Ethernet_IP1><Ethernet_IP1>2</Ethernet_IP1>"
        "<X><Ethernet_IP2>7</Ethernet_IP2></X><ethernet_ip3>9</ethernet_ip3></Other>");
    EXPECT_EQ(v[u"Ethernet_IP1"], "1");
    EXPECT_EQ(v[u"Ethernet_IP2"], "168");
    EXPECT_EQ(v[u"Ethernet_IP3"], "0");

    // A declaration or a comment before the root does not cost the file its values.
    const pargen::Values d = pargen::fromBytes(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- note --><Par_Gen><NTP_Poll_Time>60</NTP_Poll_Time></Par_Gen>");
    EXPECT_EQ(d[u"NTP_Poll_Time"], "60");
}

TEST(ParGenRead, NotWellFormedIsAnErrorNeverDefaults) {
    const QByteArray bad[] = {"", "<Par_Gen>", "<Par_Gen><A></B></Par_Gen>", "not xml at all"};
    for (const QByteArray& b : bad) {
        try {
            pargen::fromBytes(b);
            ADD_FAILURE() << "accepted: " << b.toStdString();
        } catch (const plat::Error& e) {
            EXPECT_FALSE(e.message().isEmpty());
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("ParGen.xml");
    testing_support::writeAll(path, "<Par_Gen><Ethernet_IP1>1</Ethernet_IP1>");
    EXPECT_THROW(pargen::readFile(path), plat::Error);
}

TEST(ParGenFile, MissingFileGivesFileDefaults) {
    QTemporaryDir dir;
    pargen::ReadResult r = pargen::ReadResult::Read;
    EXPECT_EQ(pargen::readFile(dir.filePath("ParGen.xml"), &r), pargen::fileMissingDefaults());
    EXPECT_EQ(r, pargen::ReadResult::FileMissing);
    testing_support::writeAll(dir.filePath("ParGen.xml"), "<Par_Gen/>");
    EXPECT_EQ(pargen::readFile(dir.filePath("ParGen.xml"), &r), pargen::elementDefaults());
    EXPECT_EQ(r, pargen::ReadResult::Read);
}

TEST(ParGenFile, RoundTripOfEveryValueInOrderWithTheCommentAfterTheRoot) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ParGen.xml");
    const pargen::Values v = distinctValues();
    pargen::writeFile(path, v);

    EXPECT_EQ(pargen::readFile(path), v);

    const QByteArray bytes = testing_support::readAll(path);
    EXPECT_TRUE(bytes.startsWith("<Par_Gen>")) << bytes.left(40).toStdString();
    const Parsed p = parseIndependently(bytes);
    ASSERT_TRUE(p.wellFormed);
    EXPECT_EQ(p.firstToken, "StartElement");
    EXPECT_EQ(p.rootName, "Par_Gen");
    ASSERT_EQ(p.elements.size(), 130u);
    for (int i = 0; i < pargen::kElementCount; ++i) {
        EXPECT_EQ(p.elements[static_cast<size_t>(i)].first, name(i)) << "position " << i;
        EXPECT_EQ(p.elements[static_cast<size_t>(i)].second, v[i]) << name(i).toStdString();
    }
    EXPECT_EQ(p.commentsAfterRoot, QStringList{"SW_VERSION = 1.003"});
    EXPECT_TRUE(p.otherNodesAfterRoot.isEmpty()) << p.otherNodesAfterRoot.join(',').toStdString();
}

TEST(ParGenFile, WriteFailureIsReported) {
    QTemporaryDir dir;
    EXPECT_THROW(pargen::writeFile(dir.filePath("missing/folder/ParGen.xml"), pargen::elementDefaults()), plat::Error);
}

TEST(ParGenValues, UnknownNameThrows) {
    pargen::Values v;
    EXPECT_THROW(v[u"No_Such_Element"], std::out_of_range);
}
