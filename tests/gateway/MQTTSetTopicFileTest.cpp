// The topic dialog with its file: what OK writes, what a showing reads back, and what a file that
// is malformed or too long does.
#include "gateway/MQTTTopicFile.h"
#include "gateway/USaveBincc.h"
#include "platform/Files.h"
#include "tests/gateway/MQTTTopicTestSupport.h"

#include <QCheckBox>

namespace {

using topic_test::Cells;
using topic_test::TopicProject;
using namespace USaveBincc;

using TopicFile = TopicProject;

QString multiLine() { return QStringLiteral("{\r\n  \"t\": $VALUE$,\r\n  \"u\": \"C\"\r\n}"); }

// Every column the file keeps, hidden ones included, with texts that differ from column to column.
Cells fullPub(int n) {
    const QString k = QString::number(n);
    return {{1, QStringLiteral("  plant/line") + k}, {2, QStringLiteral("Y")},      {3, QStringLiteral("2")},
            {4, QStringLiteral("SInt")},             {5, QStringLiteral("3")},      {6, QStringLiteral("1") + k},
            {7, QStringLiteral("10.0.0.") + k},      {8, QStringLiteral("Y")},      {9, QStringLiteral("in$X$") + k},
            {10, n == 1 ? multiLine() : QStringLiteral("$VALUE$")},
            {11, QStringLiteral("Y")},               {12, QStringLiteral("N")},     {13, QStringLiteral("Y")},
            {14, QStringLiteral("25") + k},          {15, QStringLiteral("TAB003")}, {16, QStringLiteral("Y")},
            {17, QStringLiteral("Y")},               {18, QStringLiteral("pub <&> \"") + k}};
}

Cells fullSub(int n) {
    const QString k = QString::number(n);
    return {{1, QStringLiteral("cmd/") + k},   {2, QStringLiteral("N")},      {3, QStringLiteral("1")},
            {4, QStringLiteral("Float")},      {5, QStringLiteral("8")},      {6, QStringLiteral("2") + k},
            {7, QStringLiteral("10.1.1.") + k}, {8, QStringLiteral("502")},   {9, QStringLiteral("UDP")},
            {10, QStringLiteral("in\r\n") + k}, {11, QStringLiteral("Y")},    {12, n == 2 ? multiLine() : QStringLiteral("$V$")},
            {13, QStringLiteral("Y")},         {14, QStringLiteral("Y")},     {15, QStringLiteral("sub ") + k}};
}

// What a saved and reloaded row holds: the kept columns as typed, the others as every load sets them.
QStringList reloaded(const Cells& cells, int columns, const Cells& unstored) {
    QStringList l;
    for (int c = 1; c < columns; ++c) l << QString();
    for (const auto& [c, t] : cells) l[c - 1] = t;
    for (const auto& [c, t] : unstored) l[c - 1] = t;
    return l;
}

TEST_F(TopicFile, BothTablesSurviveSaveAndShowHiddenColumnsAndLineBreaksIncluded) {
    open();
    for (int r = 1; r <= 2; ++r) {
        set(*dlg->CG_Pub, r, fullPub(r));
        set(*dlg->CG_Sub, r, fullSub(r));
    }
    dlg->CB_Allow_CR_LF->setChecked(true);
    dlg->Btn_OK->click();
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(dlg->ModalResult(), plat::mrOk);

    // Line breaks in an attribute are escaped, or a reader would fold them into blanks.
    const QByteArray bytes = file();
    EXPECT_TRUE(bytes.contains("Template=\"{&#13;&#10;  &quot;t&quot;: $VALUE$,")) << bytes.toStdString();

    dlg->CB_Allow_CR_LF->setChecked(false);
    for (int r = 1; r <= 2; ++r) dlg->CG_Pub->SetCells(1, r, QStringLiteral("edited"));
    open();
    for (int r = 1; r <= 2; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(row(*dlg->CG_Pub, r),
                  reloaded(fullPub(r), 19, {{15, QString()}, {16, QStringLiteral("N")}, {17, QStringLiteral("N")}}));
        EXPECT_EQ(row(*dlg->CG_Sub, r), reloaded(fullSub(r), 16, {{13, QStringLiteral("N")}, {14, QStringLiteral("N")}}));
    }
    EXPECT_EQ(row(*dlg->CG_Pub, 3), reloaded({}, 19, {}));
    EXPECT_TRUE(dlg->CB_Allow_CR_LF->isChecked());
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(TopicFile, WritesTheFileLayoutTheImageBuilderReads) {
    open();
    set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("plant/t1")));
    set(*dlg->CG_Pub, 1, {{2, QStringLiteral("Y")}, {3, QStringLiteral("1")}, {18, QStringLiteral("first")}});
    set(*dlg->CG_Sub, 1, goodSub(QStringLiteral("cmd/#")));
    // A row of blanks ends the table: the row under it would not be saved, so it stays empty here.
    dlg->CG_Pub->SetCells(1, 2, QStringLiteral("   "));
    dlg->Btn_OK->click();
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(file().toStdString(),
              std::string("<MQTT_Set_Topic><MQTT_Publish>"
                         "<row Topic=\"plant/t1\" Retained=\"Y\" QoS=\"1\" DataType=\"Int\" Dimension=\"2\" "
                         "Position=\"0\" IPAddress=\"\" FormatHex=\"\" InputTemplate=\"\" Template=\"$VALUE$\" "
                         "OnChange=\"\" OnCMD=\"\" OnTimer=\"\" Time=\"\" Mnemonic=\"first\"/>"
                         "</MQTT_Publish><MQTT_Subscribe>"
                         "<row Topic=\"cmd/#\" Retained=\"\" QoS=\"2\" DataType=\"Float\" Dimension=\"4\" "
                         "Position=\"0\" IPAddress=\"\" Port=\"\" EthType=\"\" InputTemplate=\"\" FormatHex=\"\" "
                         "Template=\"$VALUE$\" Mnemonic=\"\"/>"
                         "</MQTT_Subscribe><MQTT_Options><Option_Allow_CR_LF>N</Option_Allow_CR_LF></MQTT_Options>"
                         "</MQTT_Set_Topic><!--SW_VERSION = 1.003-->"));

    // The image builder takes the rows as the dialog wrote them.
    BuildState state;
    Init_MQTT(state.mqtt);
    state.mqtt.Mode = 2;
    BuildInput input;
    input.topics = file();
    QString error;
    ASSERT_TRUE(Load_MQTT_Set_Topic(state, input, &error)) << error.toStdString();
    ASSERT_EQ(state.mqtt.Publish_Data.size(), 1u);
    EXPECT_EQ(state.mqtt.Publish_Data[0].Publish_Topic.CString, QByteArray("plant/t1"));
    EXPECT_EQ(state.mqtt.Publish_Data[0].Retained, 1);
    EXPECT_EQ(state.mqtt.Publish_Data[0].QoS, 1u);
    EXPECT_EQ(state.mqtt.Publish_Data[0].Length, 2);
    EXPECT_EQ(state.mqtt.Publish_Data[0].Description, QByteArray("first"));
    ASSERT_EQ(state.mqtt.Topic_Filters.size(), 1u);
    EXPECT_EQ(state.mqtt.Topic_Filters[0].CString, QByteArray("cmd/#"));
    EXPECT_EQ(state.mqtt.Topic_Filter_QoS[0], 2);
    EXPECT_EQ(state.mqtt.Subscribe_Data[0].Length, 4u);
}

TEST_F(TopicFile, EmptyTablesWriteEmptySectionsAndReadBackEmpty) {
    open();
    dlg->Btn_OK->click();
    EXPECT_EQ(file().toStdString(), std::string("<MQTT_Set_Topic><MQTT_Publish/><MQTT_Subscribe/><MQTT_Options>"
                                 "<Option_Allow_CR_LF>N</Option_Allow_CR_LF></MQTT_Options></MQTT_Set_Topic>"
                                 "<!--SW_VERSION = 1.003-->"));
    dlg->CG_Pub->SetCells(1, 1, QStringLiteral("left over"));
    open();
    EXPECT_EQ(row(*dlg->CG_Pub, 1), reloaded({}, 19, {}));
    EXPECT_EQ(dlg->CG_Pub->Cells(0, 1024), QStringLiteral("1024"));
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(TopicFile, MissingOptionalAttributesGiveNOrEmpty) {
    writeFile("<MQTT_Set_Topic><MQTT_Publish><row Topic=\"a\" Retained=\"Y\" QoS=\"0\" Mnemonic=\"m\"/></MQTT_Publish>"
              "<MQTT_Subscribe><row Mnemonic=\"n\" QoS=\"2\" Retained=\"\" Topic=\" b\"/></MQTT_Subscribe>"
              "</MQTT_Set_Topic>");
    open();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    const QString n = QStringLiteral("N");
    EXPECT_EQ(row(*dlg->CG_Pub, 1), reloaded({{1, QStringLiteral("a")}, {2, QStringLiteral("Y")}, {3, QStringLiteral("0")},
                                              {8, n}, {11, n}, {12, n}, {13, n}, {16, n}, {17, n},
                                              {18, QStringLiteral("m")}},
                                             19, {}));
    EXPECT_EQ(row(*dlg->CG_Sub, 1), reloaded({{1, QStringLiteral(" b")}, {3, QStringLiteral("2")}, {11, n}, {13, n},
                                              {14, n}, {15, QStringLiteral("n")}},
                                             16, {}));
    EXPECT_FALSE(dlg->CB_Allow_CR_LF->isChecked());
}

TEST_F(TopicFile, TheOptionIsTickedOnlyByAnUpperCaseY) {
    const struct {
        const char* name;
        QByteArray options;
        bool ticked;
    } cases[] = {
        {"upper Y", "<MQTT_Options><Option_Allow_CR_LF>Y</Option_Allow_CR_LF></MQTT_Options>", true},
        {"lower y", "<MQTT_Options><Option_Allow_CR_LF>y</Option_Allow_CR_LF></MQTT_Options>", false},
        {"Y with a blank", "<MQTT_Options><Option_Allow_CR_LF>Y </Option_Allow_CR_LF></MQTT_Options>", false},
        {"no option element", "<MQTT_Options/>", false},
        {"no options", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dlg->CB_Allow_CR_LF->setChecked(!c.ticked);
        writeFile("<MQTT_Set_Topic><MQTT_Publish/><MQTT_Subscribe/>" + c.options + "</MQTT_Set_Topic>");
        open();
        EXPECT_EQ(dlg->CB_Allow_CR_LF->isChecked(), c.ticked);
    }
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(TopicFile, AMissingRequiredAttributeIsReportedAndStopsTheLoad) {
    const struct {
        const char* name;
        QByteArray file;
        QString message;
        int pubRows, subRows;
    } cases[] = {
        {"publication without Topic",
         "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"a\" Retained=\"\" QoS=\"0\" Mnemonic=\"\"/>"
         "<row Retained=\"\" QoS=\"0\" Mnemonic=\"\"/><row Topic=\"c\" Retained=\"\" QoS=\"0\" Mnemonic=\"\"/>"
         "</MQTT_Publish><MQTT_Subscribe><row Topic=\"s\" Retained=\"\" QoS=\"0\" Mnemonic=\"\"/></MQTT_Subscribe>"
         "</MQTT_Set_Topic>",
         QStringLiteral("Error in \"MQTT_Set_Topic.xml\": section \"MQTT_Publish\", row 2: the attribute \"Topic\" is "
                        "missing"),
         1, 0},
        {"subscription without Mnemonic",
         "<MQTT_Set_Topic><MQTT_Publish/><MQTT_Subscribe><row Topic=\"s\" Retained=\"\" QoS=\"0\"/></MQTT_Subscribe>"
         "</MQTT_Set_Topic>",
         QStringLiteral("Error in \"MQTT_Set_Topic.xml\": section \"MQTT_Subscribe\", row 1: the attribute "
                        "\"Mnemonic\" is missing"),
         0, 0},
        {"publication without QoS",
         "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"a\" Retained=\"\" Mnemonic=\"\"/></MQTT_Publish>"
         "</MQTT_Set_Topic>",
         QStringLiteral("Error in \"MQTT_Set_Topic.xml\": section \"MQTT_Publish\", row 1: the attribute \"QoS\" is "
                        "missing"),
         0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        writeFile(c.file);
        open();
        EXPECT_EQ(rec.errors(), QStringList{c.message});
        for (int r = 1; r <= 3; ++r) {
            EXPECT_EQ(dlg->CG_Pub->Cells(1, r).isEmpty(), r > c.pubRows) << r;
            EXPECT_EQ(dlg->CG_Sub->Cells(1, r).isEmpty(), r > c.subRows) << r;
        }
    }
}

TEST_F(TopicFile, AFileThatFailedToLoadIsOverwrittenOnlyAfterAsking) {
    const QByteArray original =
        "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"a\" Retained=\"\" QoS=\"0\" Mnemonic=\"\"/>"
        "<row Retained=\"\" QoS=\"0\" Mnemonic=\"\"/></MQTT_Publish></MQTT_Set_Topic>";
    const QString question = QStringLiteral(
        "\"MQTT_Set_Topic.xml\" could not be read when this window opened, so the tables do not show all of it. "
        "Saving replaces the file with the tables shown here. Overwrite it?");
    for (const QByteArray& bad : {original, QByteArray("<MQTT_Set_Topic><MQTT_Publish>")}) {
        SCOPED_TRACE(bad.toStdString());
        writeFile(bad);
        open();
        set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("x")));
        rec.clear();
        rec.answers.push_back(plat::Answer::No);
        dlg->Btn_OK->click();
        ASSERT_EQ(rec.texts(), QStringList{question});
        EXPECT_EQ(file(), bad);
        EXPECT_TRUE(dlg->isVisible());

        rec.clear();
        rec.answers.push_back(plat::Answer::Yes);
        dlg->Btn_OK->click();
        EXPECT_EQ(rec.texts(), QStringList{question});
        EXPECT_TRUE(file().contains("<row Topic=\"x\""));
        EXPECT_EQ(dlg->ModalResult(), plat::mrOk);

        // Read without a fault, the file is saved without a question.
        rec.clear();
        open();
        dlg->Btn_OK->click();
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    }
}

TEST_F(TopicFile, MoreRowsThanTheTableHoldsAreShownUpToItsEndWithAWarning) {
    QByteArray bytes = "<MQTT_Set_Topic><MQTT_Publish>";
    for (int i = 1; i <= topicfile::kMaxRows + 6; ++i)
        bytes += "<row Topic=\"t" + QByteArray::number(i) +
                 "\" Retained=\"\" QoS=\"0\" DataType=\"Int\" Dimension=\"1\" Position=\"0\" Mnemonic=\"\"/>";
    bytes += "</MQTT_Publish><MQTT_Subscribe><row Topic=\"s\" Retained=\"\" QoS=\"0\" Mnemonic=\"\" DataType=\"Int\" "
             "Dimension=\"1\" Position=\"0\"/></MQTT_Subscribe></MQTT_Set_Topic>";
    writeFile(bytes);
    open();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral(
                               "\"MQTT_Set_Topic.xml\": the section \"MQTT_Publish\" holds 1030 rows, the table only "
                               "1024: the last 6 rows are not shown and will be dropped when the table is saved.")});
    EXPECT_EQ(dlg->CG_Pub->Cells(1, 1024), QStringLiteral("t1024"));
    EXPECT_EQ(dlg->CG_Sub->Cells(1, 1), QStringLiteral("s"));

    rec.clear();
    dlg->Btn_OK->click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    const QByteArray saved = file();
    EXPECT_EQ(saved.count("<row "), topicfile::kMaxRows + 1);
    EXPECT_TRUE(saved.contains("Topic=\"t1024\""));
    EXPECT_FALSE(saved.contains("Topic=\"t1025\""));
}

TEST_F(TopicFile, CancelKeepsTheFileAndTheNextShowingForgetsTheEdits) {
    open();
    set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("kept")));
    dlg->Btn_OK->click();
    const QByteArray saved = file();
    open();
    set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("changed")));
    set(*dlg->CG_Sub, 1, goodSub(QStringLiteral("new")));
    dlg->Btn_Cancel->click();
    EXPECT_EQ(dlg->ModalResult(), plat::mrCancel);
    EXPECT_EQ(file(), saved);
    open();
    EXPECT_EQ(dlg->CG_Pub->Cells(1, 1), QStringLiteral("kept"));
    EXPECT_EQ(dlg->CG_Sub->Cells(1, 1), QString());
}

TEST_F(TopicFile, AFailedSaveIsReportedAndTheWindowStaysOpen) {
    open();
    set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("t")));
    // The project folder has gone: nothing can be written there.
    ASSERT_TRUE(QDir(g_ProjectPath).removeRecursively());
    dlg->Btn_OK->click();
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("The topics could not be saved: "))) << rec.errors()[0].toStdString();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(plat::fileExists(g_MQTTSetTopicFile));
}

}  // namespace
