// "M_Bus.xml": the exact bytes the network writer produces, the reading rules, and what a file that
// stops part-way or is not XML gives.
#include "mbus/MBusNetwork.h"
#include "platform/XmlDoc.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

using namespace mbus;

namespace {

TVariabile variable(const char* desc) {
    TVariabile v;
    v.Description = QString::fromUtf8(desc);
    return v;
}

// A wired node addressed by primary address, one by secondary address, and a wireless node with
// its key: every field away from its default somewhere.
TNodiList sampleNetwork() {
    TNodiList nodes(3);

    TNodo& a = nodes[0];
    a.Description = QStringLiteral("Heat <1> & \"A\"");
    a.Node_ID_Primary = 5;
    a.Node_ID_Secondary = 1;
    a.Send_SNK = 1;
    a.Cut_After = 2;
    TVariabile energy = variable("Energy");
    energy.Dimension = 2;
    energy.Topic = 3;
    TVariabile ascii = variable("Text unit");
    ascii.Enable = false;
    ascii.Type_Of_Data = 21;
    ascii.VIF_ASCII = QStringLiteral("kWh");
    ascii.Function_Field = 2;
    ascii.Dimension = 7;
    ascii.Length = 12;
    ascii.Unita = 10;
    ascii.Storage_Number = 4294967295u;
    ascii.Tariff = 0xFFFFF;
    ascii.VIFE = 151;
    ascii.BCDtoINT = true;
    ascii.Position = 100;
    ascii.Topic = -1;
    ascii.Post_Operation = 12;
    a.Var_List = {energy, ascii};

    TNodo& b = nodes[1];
    b.Enable = false;
    b.Description = QStringLiteral("Water");
    b.Node_ID_Secondary = 12345678;
    b.Reset_App = 1;
    b.Node_State = 3;
    b.Ident_Num = 4;
    b.BCDtoINT_IN = 1;
    b.Swap_Ident = 1;
    b.Access_Number = 7;
    b.Node_ID_Type = 1;
    b.Var_List_Type = 1;
    b.Cut_After = 249;
    b.NS_Topic = 2;
    b.IN_Topic = 5;
    b.AN_Topic = 6;

    TNodo& c = nodes[2];
    c.Description = QStringLiteral("Radio");
    c.MBus_Type = 0;
    c.wMBus_ManID = QStringLiteral("0x2C2D");
    c.wMBus_Add = QStringLiteral("12345678");
    c.wMBus_Ver = QStringLiteral("$1B");
    c.wMBus_DevType = QStringLiteral("7");
    c.wMBus_En_Key = 1;
    for (int k = 0; k < 16; ++k) c.wMBus_Key[size_t(k)] = QString::number(k * 17);
    c.wMBus_RSSI = 1;
    c.wMBus_RSSI_Topic = 9;
    TVariabile pos = variable("Third");
    pos.Position = 3;
    c.Var_List = {pos};
    return nodes;
}

TNetworkRead readText(const char* xml) { return Network_From_Bytes(QByteArray(xml)); }

// One node read from a root holding `node`.
TNodo readNode(const char* node) {
    const TNetworkRead r = Network_From_Bytes(QByteArray("<M-Bus_Network>") + node + "</M-Bus_Network>");
    EXPECT_EQ(r.Status, TNetworkReadStatus::Whole) << r.Message.toStdString();
    EXPECT_EQ(r.Nodes.size(), 1u);
    return r.Nodes.empty() ? TNodo{} : r.Nodes.front();
}

}  // namespace

TEST(NetworkFile, GoldenFileHoldsEveryAttributeInOrder) {
    const QByteArray keys =
        "wMBus_Key_1=\"0\" wMBus_Key_2=\"17\" wMBus_Key_3=\"34\" wMBus_Key_4=\"51\" wMBus_Key_5=\"68\" "
        "wMBus_Key_6=\"85\" wMBus_Key_7=\"102\" wMBus_Key_8=\"119\" wMBus_Key_9=\"136\" wMBus_Key_10=\"153\" "
        "wMBus_Key_11=\"170\" wMBus_Key_12=\"187\" wMBus_Key_13=\"204\" wMBus_Key_14=\"221\" "
        "wMBus_Key_15=\"238\" wMBus_Key_16=\"255\"";
    const QByteArray noKeys =
        "wMBus_Key_1=\"\" wMBus_Key_2=\"\" wMBus_Key_3=\"\" wMBus_Key_4=\"\" wMBus_Key_5=\"\" wMBus_Key_6=\"\" "
        "wMBus_Key_7=\"\" wMBus_Key_8=\"\" wMBus_Key_9=\"\" wMBus_Key_10=\"\" wMBus_Key_11=\"\" "
        "wMBus_Key_12=\"\" wMBus_Key_13=\"\" wMBus_Key_14=\"\" wMBus_Key_15=\"\" wMBus_Key_16=\"\"";
    const QByteArray expected =
        "<M-Bus_Network>"
        "<Nodo Enable_Node=\"1\" ID_Primary=\"5\" ID_Secondary=\"1\" Descrizione=\"Heat &lt;1> &amp; &quot;A&quot;\" "
        "Send_SND_NKE=\"1\" Reset_App=\"0\" Node_State=\"0\" Ident_Num=\"0\" BCDtoINT_IN=\"0\" Swap_IN=\"0\" "
        "Node_ID_Type=\"0\" Var_List_Type=\"0\" Cut_After=\"2\" NS_Topic=\"0\" IN_Topic=\"0\" Access_Number=\"0\" "
        "AN_Topic=\"0\" IN_VarType=\"0\" MBus_Type=\"1\" wMBus_ManID=\"\" wMBus_Add=\"\" wMBus_Ver=\"\" "
        "wMBus_DevType=\"\" wMBus_En_Key=\"0\" " + noKeys + " wMBus_RSSI=\"0\" wMBus_RSSI_Topic=\"0\">"
        "<Variabile Enable=\"1\" Desc=\"Energy\" Type=\"0\" Fun_Field=\"0\" Dim=\"2\" Unit=\"0\" StoNumber=\"0\" "
        "Tariff=\"0\" VIFE=\"0\" BCDtoINT=\"0\" VIF_ASCII=\"\" Length=\"0\" Position=\"1\" Topic=\"3\" "
        "Post_Operation=\"0\"/>"
        "<Variabile Enable=\"0\" Desc=\"Text unit\" Type=\"21\" Fun_Field=\"2\" Dim=\"7\" Unit=\"10\" "
        "StoNumber=\"4294967295\" Tariff=\"1048575\" VIFE=\"151\" BCDtoINT=\"1\" VIF_ASCII=\"kWh\" Length=\"12\" "
        "Position=\"100\" Topic=\"-1\" Post_Operation=\"12\"/>"
        "</Nodo>"
        "<Nodo Enable_Node=\"0\" ID_Primary=\"1\" ID_Secondary=\"12345678\" Descrizione=\"Water\" "
        "Send_SND_NKE=\"0\" Reset_App=\"1\" Node_State=\"3\" Ident_Num=\"4\" BCDtoINT_IN=\"1\" Swap_IN=\"1\" "
        "Node_ID_Type=\"1\" Var_List_Type=\"1\" Cut_After=\"249\" NS_Topic=\"2\" IN_Topic=\"5\" "
        "Access_Number=\"7\" AN_Topic=\"6\" IN_VarType=\"0\" MBus_Type=\"1\" wMBus_ManID=\"\" wMBus_Add=\"\" "
        "wMBus_Ver=\"\" wMBus_DevType=\"\" wMBus_En_Key=\"0\" " + noKeys + " wMBus_RSSI=\"0\" "
        "wMBus_RSSI_Topic=\"0\"/>"
        "<Nodo Enable_Node=\"1\" ID_Primary=\"1\" ID_Secondary=\"1\" Descrizione=\"Radio\" Send_SND_NKE=\"0\" "
        "Reset_App=\"0\" Node_State=\"0\" Ident_Num=\"0\" BCDtoINT_IN=\"0\" Swap_IN=\"0\" Node_ID_Type=\"0\" "
        "Var_List_Type=\"0\" Cut_After=\"0\" NS_Topic=\"0\" IN_Topic=\"0\" Access_Number=\"0\" AN_Topic=\"0\" "
        "IN_VarType=\"0\" MBus_Type=\"0\" wMBus_ManID=\"0x2C2D\" wMBus_Add=\"12345678\" wMBus_Ver=\"$1B\" "
        "wMBus_DevType=\"7\" wMBus_En_Key=\"1\" " + keys + " wMBus_RSSI=\"1\" wMBus_RSSI_Topic=\"9\">"
        "<Variabile Enable=\"1\" Desc=\"Third\" Type=\"0\" Fun_Field=\"0\" Dim=\"0\" Unit=\"0\" StoNumber=\"0\" "
        "Tariff=\"0\" VIFE=\"0\" BCDtoINT=\"0\" VIF_ASCII=\"\" Length=\"0\" Position=\"3\" Topic=\"0\" "
        "Post_Operation=\"0\"/>"
        "</Nodo>"
        "</M-Bus_Network><!--SW_VERSION = 1.019-->";
    EXPECT_EQ(Network_To_Bytes(sampleNetwork()).toStdString(), expected.toStdString());
}

TEST(NetworkFile, EmptyNetworkIsTheRootAndTheComment) {
    EXPECT_EQ(Network_To_Bytes({}), QByteArray("<M-Bus_Network/><!--SW_VERSION = 1.019-->"));
    const TNetworkRead r = Network_From_Bytes(Network_To_Bytes({}));
    EXPECT_EQ(r.Status, TNetworkReadStatus::Whole);
    EXPECT_TRUE(r.Nodes.empty());
}

TEST(NetworkFile, WrittenFileReadsBackToTheSameValues) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("M_Bus.xml"));
    const TNodiList nodes = sampleNetwork();
    Write_Network(nodes, path);
    const TNetworkRead r = Read_Network(path);
    EXPECT_EQ(r.Status, TNetworkReadStatus::Whole);
    EXPECT_TRUE(r.Message.isEmpty());
    EXPECT_EQ(r.Nodes, nodes);
    EXPECT_EQ(testing_support::readAll(path), Network_To_Bytes(nodes));
}

TEST(NetworkFile, NodeWithOnlyADescriptionTakesEveryDefault) {
    const TNodo n = readNode("<Nodo Descrizione=\"Meter\"/>");
    EXPECT_EQ(n.Description, "Meter");
    EXPECT_TRUE(n.Enable);
    EXPECT_EQ(n.MBus_Type, 1);  // wired
    EXPECT_EQ(n.Node_ID_Primary, 1);
    EXPECT_EQ(n.Node_ID_Secondary, 1);
    EXPECT_EQ(n.Node_ID_Type, 0);
    EXPECT_EQ(n.Var_List_Type, 0);
    EXPECT_EQ(n.Cut_After, 0);
    for (int flag : {int(n.Send_SNK), int(n.Reset_App), int(n.Node_State), int(n.Ident_Num), int(n.BCDtoINT_IN),
                     int(n.Swap_Ident), int(n.Access_Number), n.NS_Topic, n.IN_Topic, n.AN_Topic,
                     int(n.wMBus_En_Key), int(n.wMBus_RSSI), n.wMBus_RSSI_Topic})
        EXPECT_EQ(flag, 0);
    EXPECT_TRUE(n.wMBus_ManID.isEmpty() && n.wMBus_Add.isEmpty() && n.wMBus_Ver.isEmpty() && n.wMBus_DevType.isEmpty());
    for (const QString& k : n.wMBus_Key) EXPECT_TRUE(k.isEmpty());
    EXPECT_TRUE(n.Var_List.empty());
}

TEST(NetworkFile, ReadingRules) {
    const struct {
        const char* name;
        const char* node;
        std::function<void(const TNodo&)> check;
    } cases[] = {
        {"ID with secondary addressing is the secondary address", "<Nodo Descrizione=\"d\" ID=\"17\" Node_ID_Type=\"1\"/>",
         [](const TNodo& n) {
             EXPECT_EQ(n.Node_ID_Secondary, 17);
             EXPECT_EQ(n.Node_ID_Primary, 1);
             EXPECT_EQ(n.Node_ID_Type, 1);
         }},
        {"ID with primary addressing wins over ID_Primary",
         "<Nodo Descrizione=\"d\" ID=\"17\" ID_Primary=\"9\" ID_Secondary=\"9\"/>",
         [](const TNodo& n) {
             EXPECT_EQ(n.Node_ID_Primary, 17);
             EXPECT_EQ(n.Node_ID_Secondary, 1);
         }},
        {"ID that is not a number falls back", "<Nodo Descrizione=\"d\" ID=\"abc\" ID_Primary=\"4\" ID_Secondary=\"9\"/>",
         [](const TNodo& n) {
             EXPECT_EQ(n.Node_ID_Primary, 4);
             EXPECT_EQ(n.Node_ID_Secondary, 9);
         }},
        {"hexadecimal with $ and 0x", "<Nodo Descrizione=\"d\" ID_Primary=\"$1F\" ID_Secondary=\"0x1F\" Cut_After=\"x1F\"/>",
         [](const TNodo& n) {
             EXPECT_EQ(n.Node_ID_Primary, 31);
             EXPECT_EQ(n.Node_ID_Secondary, 31);
             EXPECT_EQ(n.Cut_After, 31);
         }},
        {"a number that does not convert takes the default",
         "<Nodo Descrizione=\"d\" ID_Primary=\"5 \" MBus_Type=\"\" NS_Topic=\"1.5\" wMBus_En_Key=\"yes\"/>",
         [](const TNodo& n) {
             EXPECT_EQ(n.Node_ID_Primary, 1);
             EXPECT_EQ(n.MBus_Type, 1);
             EXPECT_EQ(n.NS_Topic, 0);
             EXPECT_EQ(n.wMBus_En_Key, 0);
         }},
        {"decimal limits of the 32-bit fields",
         "<Nodo Descrizione=\"d\" Swap_IN=\"2147483647\" NS_Topic=\"-2147483648\" IN_Topic=\"2147483648\" "
         "AN_Topic=\"999999999\" ID_Secondary=\"0099999999\" ID_Primary=\"-0\" wMBus_RSSI_Topic=\"-\"/>",
         [](const TNodo& n) {
             EXPECT_EQ(n.Swap_Ident, 2147483647);
             EXPECT_EQ(n.NS_Topic, INT32_MIN);
             EXPECT_EQ(n.IN_Topic, 0);
             EXPECT_EQ(n.AN_Topic, 999999999);
             EXPECT_EQ(n.Node_ID_Secondary, 99999999);
             EXPECT_EQ(n.Node_ID_Primary, 0);
             EXPECT_EQ(n.wMBus_RSSI_Topic, 0);
         }},
        {"a byte field keeps the low 8 bits", "<Nodo Descrizione=\"d\" Cut_After=\"300\" Send_SND_NKE=\"-1\"/>",
         [](const TNodo& n) {
             EXPECT_EQ(n.Cut_After, 44);
             EXPECT_EQ(n.Send_SNK, 255);
         }},
        {"empty Enable_Node is enabled", "<Nodo Enable_Node=\"\" Descrizione=\"d\"/>",
         [](const TNodo& n) { EXPECT_TRUE(n.Enable); }},
        {"Enable_Node other than exactly 0 is enabled", "<Nodo Enable_Node=\" 0\" Descrizione=\"d\"/>",
         [](const TNodo& n) { EXPECT_TRUE(n.Enable); }},
        {"Enable_Node 0 is disabled", "<Nodo Enable_Node=\"0\" Descrizione=\"d\"/>",
         [](const TNodo& n) { EXPECT_FALSE(n.Enable); }},
        {"a scan's Node_Enable 0 is disabled", "<Nodo Node_Enable=\"0\" Descrizione=\"d\"/>",
         [](const TNodo& n) { EXPECT_FALSE(n.Enable); }},
        {"Enable_Node wins over Node_Enable", "<Nodo Enable_Node=\"1\" Node_Enable=\"0\" Descrizione=\"d\"/>",
         [](const TNodo& n) { EXPECT_TRUE(n.Enable); }},
        {"wireless texts are kept as typed",
         "<Nodo Descrizione=\"d\" MBus_Type=\"0\" wMBus_Add=\" 0x10 \" wMBus_Key_16=\"zz\"/>",
         [](const TNodo& n) {
             EXPECT_EQ(n.MBus_Type, 0);
             EXPECT_EQ(n.wMBus_Add, " 0x10 ");
             EXPECT_EQ(n.wMBus_Key[15], "zz");
         }},
        {"variable defaults and exact flags",
         "<Nodo Descrizione=\"d\"><Variabile Enable=\"\" Desc=\"v\" Type=\"1\" Fun_Field=\"2\" Dim=\"3\" "
         "BCDtoINT=\"true\"/></Nodo>",
         [](const TNodo& n) {
             ASSERT_EQ(n.Var_List.size(), 1u);
             const TVariabile& v = n.Var_List[0];
             EXPECT_FALSE(v.Enable);
             EXPECT_FALSE(v.BCDtoINT);
             EXPECT_EQ(v.Type_Of_Data, 1);
             EXPECT_EQ(v.Function_Field, 2);
             EXPECT_EQ(v.Dimension, 3);
             EXPECT_EQ(v.Position, 1);
             EXPECT_EQ(v.Unita, 0);
             EXPECT_EQ(v.Storage_Number, 0u);
             EXPECT_EQ(v.Topic, 0);
             EXPECT_TRUE(v.VIF_ASCII.isEmpty());
         }},
        {"largest storage number, decimal and hexadecimal; byte fields cut",
         "<Nodo Descrizione=\"d\"><Variabile Enable=\"1\" Desc=\"v\" Type=\"0\" Fun_Field=\"0\" Dim=\"0\" "
         "StoNumber=\"4294967295\" Position=\"257\" VIFE=\"$1FF\"/>"
         "<Variabile Enable=\"1\" Desc=\"w\" Type=\"0\" Fun_Field=\"0\" Dim=\"0\" StoNumber=\"$FFFFFFFF\" "
         "Position=\"abc\"/></Nodo>",
         [](const TNodo& n) {
             ASSERT_EQ(n.Var_List.size(), 2u);
             EXPECT_TRUE(n.Var_List[0].Enable);
             EXPECT_EQ(n.Var_List[0].Storage_Number, 4294967295u);
             EXPECT_EQ(n.Var_List[0].Position, 1);
             EXPECT_EQ(n.Var_List[0].VIFE, 255);
             EXPECT_EQ(n.Var_List[1].Storage_Number, 4294967295u);
             EXPECT_EQ(n.Var_List[1].Position, 1);
         }},
        {"element names are not checked", "<Meter Descrizione=\"d\"><Value Desc=\"v\" Type=\"0\" Fun_Field=\"0\" Dim=\"0\"/></Meter>",
         [](const TNodo& n) { EXPECT_EQ(n.Var_List.size(), 1u); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.check(readNode(c.node));
    }
}

TEST(NetworkFile, RootOfAnyNameWithoutChildrenIsAnEmptyNetwork) {
    for (const char* xml : {"<M-Bus_Network/>", "<Other>text<!--c--></Other><!--SW_VERSION = 1.019-->"}) {
        const TNetworkRead r = readText(xml);
        EXPECT_EQ(r.Status, TNetworkReadStatus::Whole) << xml;
        EXPECT_TRUE(r.Nodes.empty()) << xml;
    }
}

TEST(NetworkFile, LargestStorageNumberRoundTrips) {
    TNodiList nodes(1);
    nodes[0].Description = QStringLiteral("n");
    TVariabile v = variable("v");
    v.Storage_Number = 0xFFFFFFFFu;
    nodes[0].Var_List = {v};
    const QByteArray bytes = Network_To_Bytes(nodes);
    EXPECT_TRUE(bytes.contains("StoNumber=\"4294967295\""));
    EXPECT_EQ(Network_From_Bytes(bytes).Nodes, nodes);
}

TEST(NetworkFile, ReadingStopsAtTheFirstElementWithoutARequiredValue) {
    const char* goodVar = "<Variabile Enable=\"1\" Desc=\"ok\" Type=\"0\" Fun_Field=\"0\" Dim=\"0\"/>";
    const struct {
        const char* name;
        QByteArray bad;
        size_t nodes;     // nodes kept
        size_t lastVars;  // variables of the last node kept
        const char* mentions;
    } cases[] = {
        {"third variable of the second node without Desc",
         "<Variabile Enable=\"1\" Type=\"0\" Fun_Field=\"0\" Dim=\"0\"/>", 2, 2, "\"Desc\""},
        {"Type not a number", "<Variabile Desc=\"x\" Type=\"1x\" Fun_Field=\"0\" Dim=\"0\"/>", 2, 2, "\"1x\""},
        {"Fun_Field missing", "<Variabile Desc=\"x\" Type=\"1\" Dim=\"0\"/>", 2, 2, "\"Fun_Field\""},
        {"Dim empty", "<Variabile Desc=\"x\" Type=\"1\" Fun_Field=\"0\" Dim=\"\"/>", 2, 2, "\"Dim\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray xml = QByteArray("<M-Bus_Network><Nodo Descrizione=\"first\">") + goodVar + goodVar +
                               "</Nodo><Nodo Descrizione=\"second\">" + goodVar + goodVar + c.bad + goodVar +
                               "</Nodo><Nodo Descrizione=\"third\"/></M-Bus_Network>";
        const TNetworkRead r = Network_From_Bytes(xml);
        EXPECT_EQ(r.Status, TNetworkReadStatus::Partial);
        ASSERT_EQ(r.Nodes.size(), c.nodes);
        EXPECT_EQ(r.Nodes[0].Var_List.size(), 2u);
        EXPECT_EQ(r.Nodes.back().Description, "second");
        EXPECT_EQ(r.Nodes.back().Var_List.size(), c.lastVars);
        EXPECT_TRUE(r.Message.contains(QStringLiteral("Node 2, variable 3"))) << r.Message.toStdString();
        EXPECT_TRUE(r.Message.contains(QString::fromLatin1(c.mentions))) << r.Message.toStdString();
    }

    // A node without its description is not kept; the ones before it are.
    const TNetworkRead r = readText(
        "<M-Bus_Network><Nodo Descrizione=\"first\"/><Nodo Enable_Node=\"1\"><Variabile Desc=\"v\" Type=\"0\" "
        "Fun_Field=\"0\" Dim=\"0\"/></Nodo></M-Bus_Network>");
    EXPECT_EQ(r.Status, TNetworkReadStatus::Partial);
    ASSERT_EQ(r.Nodes.size(), 1u);
    EXPECT_EQ(r.Nodes[0].Description, "first");
    EXPECT_TRUE(r.Message.contains(QStringLiteral("Node 2"))) << r.Message.toStdString();
    EXPECT_TRUE(r.Message.contains(QStringLiteral("\"Descrizione\""))) << r.Message.toStdString();
}

TEST(NetworkFile, FileThatIsNotXmlGivesAnEmptyListAndTheParsersMessage) {
    for (const char* bytes : {"<M-Bus_Network><Nodo Descrizione=\"a\"></M-Bus_Network>", "", "plain text",
                              "<M-Bus_Network/><Second/>"}) {
        const TNetworkRead r = readText(bytes);
        EXPECT_EQ(r.Status, TNetworkReadStatus::Refused) << bytes;
        EXPECT_TRUE(r.Nodes.empty()) << bytes;
        EXPECT_TRUE(r.Message.contains(QStringLiteral("not well-formed"))) << r.Message.toStdString();
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("M_Bus.xml"));
    testing_support::writeAll(path, "<M-Bus_Network><Nodo Descrizione=\"a\">");
    const TNetworkRead r = Read_Network(path);
    EXPECT_EQ(r.Status, TNetworkReadStatus::Refused);
    EXPECT_TRUE(r.Nodes.empty());
    EXPECT_TRUE(r.Message.startsWith(path)) << r.Message.toStdString();
}

TEST(NetworkFile, MissingFileReadsNothing) {
    QTemporaryDir dir;
    const TNetworkRead r = Read_Network(dir.filePath(QStringLiteral("M_Bus.xml")));
    EXPECT_EQ(r.Status, TNetworkReadStatus::NoFile);
    EXPECT_TRUE(r.Nodes.empty());
    EXPECT_TRUE(r.Message.isEmpty());
}

TEST(NetworkFile, FailedSaveRaises) {
    QTemporaryDir dir;
    // Unwritable: the target is a folder, which stays as it was.
    const QString folder = dir.filePath(QStringLiteral("M_Bus.xml"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_THROW(Write_Network(sampleNetwork(), folder), plat::Error);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_THROW(Write_Network(sampleNetwork(), dir.filePath(QStringLiteral("missing/M_Bus.xml"))), plat::Error);
}
