// The topic dialog's checks on OK, its row buttons, its layout and its header hints.
#include "platform/Controls.h"
#include "platform/Files.h"
#include "platform/Timer.h"
#include "tests/gateway/MQTTTopicTestSupport.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTest>

namespace {

using topic_test::Cells;
using topic_test::TopicProject;

using TopicChecks = TopicProject;
using TopicRows = TopicProject;
using TopicLayout = TopicProject;

struct CheckCase {
    const char* name;
    bool publish;           // the cells go into row 2 of this table
    Cells cells;            // over a row that passes every check
    QByteArray parGen;      // empty: no "ParGen.xml"
    const char* message;    // nullptr: accepted
};

QString s(const char* t) { return QString::fromUtf8(t); }

QByteArray sizes(const char* in, const char* out) {
    return QByteArray("<Par_Gen><PROFINET_NB_IN>") + in + "</PROFINET_NB_IN><PROFINET_NB_OUT>" + out +
           "</PROFINET_NB_OUT></Par_Gen><!--SW_VERSION = 1.003-->";
}

const CheckCase kCheckCases[] = {
    // Data type and dimension.
    {"pub type missing", true, {{4, s("")}}, {}, "Error row 2!! [MQTT Publish] Data Type must be selected"},
    {"pub type of blanks", true, {{4, s("  ")}}, {}, "Error row 2!! [MQTT Publish] Data Type must be selected"},
    {"pub Int 1", true, {{4, s("Int")}, {5, s("1")}}, {}, nullptr},
    {"pub Int 8", true, {{4, s("Int")}, {5, s("8")}}, {}, nullptr},
    {"pub Int 3", true, {{4, s("Int")}, {5, s("3")}}, {},
     "Error row 2!! [MQTT Publish] Dimension must be equal to 1 or 2 or 4 or 8"},
    {"pub type compared upper-cased and trimmed", true, {{4, s(" int ")}, {5, s("16")}}, {},
     "Error row 2!! [MQTT Publish] Dimension must be equal to 1 or 2 or 4 or 8"},
    {"pub Int dimension not a number", true, {{4, s("Int")}, {5, s("four")}}, {},
     "Error row 2!! [MQTT Publish] Dimension must be equal to 1 or 2 or 4 or 8"},
    {"pub Float 4", true, {{4, s("Float")}, {5, s("4")}}, {}, nullptr},
    {"pub Float 2", true, {{4, s("Float")}, {5, s("2")}}, {},
     "Error row 2!! [MQTT Publish] Dimension must be equal to 4 or 8"},
    {"pub SInt 3", true, {{4, s("SInt")}, {5, s("3")}}, {}, nullptr},
    // Only a-z are upper-cased, as the image builder does: a dotless i or a ligature does not make
    // a type it knows, so the row is checked as one of the other types.
    {"pub dotless i is not Int", true, {{4, s("\u0131nt")}, {5, s("3")}}, {}, nullptr},
    {"pub ligature is not Float", true, {{4, s("\uFB02oat")}, {5, s("2")}}, {}, nullptr},
    {"pub unknown type still needs a dimension", true, {{4, s("\u0131nt")}, {5, s("0")}}, {},
     "Error row 2!! [MQTT Publish] Dimension must be major of 0"},
    {"sub dotless i is not Int", false, {{4, s("\u0131nt")}, {5, s("3")}}, {}, nullptr},
    {"pub String 0", true, {{4, s("String")}, {5, s("0")}}, {},
     "Error row 2!! [MQTT Publish] Dimension must be major of 0"},
    {"pub Base64 empty dimension", true, {{4, s("Base64")}, {5, s("")}}, {},
     "Error row 2!! [MQTT Publish] Dimension must be major of 0"},
    // Position against the input area.
    {"pub position at the last byte", true, {{6, s("9")}}, sizes("10", "20"), nullptr},
    {"pub position at the area size", true, {{6, s("10")}}, sizes("10", "20"),
     "Error row 2!! [MQTT Publish] Position must be beetween 0 and 9"},
    {"pub position negative", true, {{6, s("-1")}}, sizes("10", "20"),
     "Error row 2!! [MQTT Publish] Position must be beetween 0 and 9"},
    {"pub position empty", true, {{6, s("")}}, {}, "Error row 2!! [MQTT Publish] Position must be beetween 0 and 1437"},
    {"pub position without a parameter file", true, {{6, s("1437")}}, {}, nullptr},
    {"pub area size not a number", true, {{6, s("1438")}}, sizes("ten", "20"),
     "Error row 2!! [MQTT Publish] Position must be beetween 0 and 1437"},
    {"pub area size the lowest integer refuses already row 1", true, {}, sizes("-2147483648", "20"),
     "Error row 1!! [MQTT Publish] Position must be beetween 0 and -2147483649"},
    {"pub area size missing", true, {{6, s("1437")}}, "<Par_Gen><PROFINET_NB_OUT>5</PROFINET_NB_OUT></Par_Gen>",
     nullptr},
    // The template's keywords.
    {"pub template of three $", true, {{10, s("$VALUE$ $")}}, {},
     "Error row 2!! [MQTT Publish] Template not Correct, Check the Keywords"},
    {"pub template without $", true, {{10, s("plain text")}}, {}, nullptr},
    {"pub template empty", true, {{10, s("")}}, {}, nullptr},
    // The timer.
    {"pub timer at its upper bound", true, {{13, s("Y")}, {14, s("999999999")}}, {}, nullptr},
    {"pub timer past its upper bound", true, {{13, s("Y")}, {14, s("1000000000")}}, {},
     "Error row 2!! [MQTT Publish] Time(ms) must be between 1 and 1000000000"},
    {"pub timer zero", true, {{13, s("Y")}, {14, s("0")}}, {},
     "Error row 2!! [MQTT Publish] Time(ms) must be between 1 and 1000000000"},
    {"pub timer lower-case y", true, {{13, s("y")}, {14, s("")}}, {},
     "Error row 2!! [MQTT Publish] Time(ms) must be between 1 and 1000000000"},
    {"pub timer off takes any time", true, {{13, s("N")}, {14, s("")}}, {}, nullptr},
    // Columns hidden in this layout are not checked.
    {"pub hidden address and input template", true, {{7, s("no address")}, {9, s("$")}}, {}, nullptr},
    // A row without a QoS would stop the image build.
    {"pub QoS not chosen", true, {{3, s("")}}, {}, "Error row 2!! [MQTT Publish] QoS must be selected"},
    {"pub QoS checked after the template", true, {{3, s("")}, {10, s("$")}}, {},
     "Error row 2!! [MQTT Publish] Template not Correct, Check the Keywords"},
    {"sub QoS not chosen", false, {{3, s(" ")}}, {}, "Error row 2!! [MQTT Subscribe] QoS must be selected"},
    // Subscriptions: their own columns, texts and area.
    {"sub type missing", false, {{4, s("")}}, {}, "Error row 2!! [MQTT Subscribe] Data Type must be selected"},
    {"sub Int 3", false, {{4, s("Int")}, {5, s("3")}}, {},
     "Error row 2!! [MQTT Subscribe] Dimension must be equal to 1 or 2 or 4 or 8"},
    {"sub Float 2", false, {{4, s("Float")}, {5, s("2")}}, {},
     "Error row 2!! [MQTT Subscribe] Dimension must be equal to 4 or 8"},
    {"sub String 0", false, {{4, s("String")}, {5, s("0")}}, {},
     "Error row 2!! [MQTT Subscribe] Dimension must be major of 0"},
    {"sub SInt 3", false, {{4, s("SInt")}, {5, s("3")}}, {}, nullptr},
    {"sub position at the last byte", false, {{6, s("19")}}, sizes("10", "20"), nullptr},
    {"sub position at the area size", false, {{6, s("20")}}, sizes("10", "20"),
     "Error row 2!! [MQTT Subscribe] Position must be beetween 0 and 19"},
    {"sub template of three $", false, {{12, s("$a$b$")}}, {},
     "Error row 2!! [MQTT Subscribe] Template not Correct, Check the Keywords"},
    {"sub hidden port and address", false, {{7, s("x")}, {8, s("70000")}, {10, s("$")}}, {}, nullptr},
};

TEST_F(TopicChecks, OKRefusesTheFirstFaultWithItsRowAndMessage) {
    for (const CheckCase& c : kCheckCases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        QFile::remove(g_MQTTSetTopicFile);
        QFile::remove(g_ParGenFile);
        if (!c.parGen.isEmpty()) writeParGen(c.parGen);
        open();
        for (int r = 1; r <= 3; ++r) {
            set(*dlg->CG_Pub, r, goodPub(QStringLiteral("p%1").arg(r)));
            set(*dlg->CG_Sub, r, goodSub(QStringLiteral("s%1").arg(r)));
        }
        set(c.publish ? *dlg->CG_Pub : *dlg->CG_Sub, 2, c.cells);
        dlg->Btn_OK->click();
        if (c.message) {
            EXPECT_EQ(rec.texts(), QStringList{s(c.message)});
            EXPECT_FALSE(plat::fileExists(g_MQTTSetTopicFile));
            EXPECT_TRUE(dlg->isVisible());
            // The cells stay as typed.
            EXPECT_EQ(dlg->CG_Pub->Cells(1, 2), QStringLiteral("p2"));
        } else {
            EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
            EXPECT_EQ(file().count("<row "), 6);
        }
    }
}

TEST_F(TopicChecks, PublicationsAreCheckedBeforeSubscriptionsAndRowByRow) {
    open();
    set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("p1")));
    set(*dlg->CG_Pub, 2, goodPub(QStringLiteral("p2")));
    set(*dlg->CG_Pub, 3, goodPub(QStringLiteral("p3")));
    dlg->CG_Pub->SetCells(4, 3, QString());
    dlg->CG_Pub->SetCells(5, 2, QStringLiteral("5"));
    set(*dlg->CG_Sub, 1, goodSub(QStringLiteral("s1")));
    dlg->CG_Sub->SetCells(4, 1, QString());
    dlg->Btn_OK->click();
    EXPECT_EQ(rec.texts(), QStringList{s("Error row 2!! [MQTT Publish] Dimension must be equal to 1 or 2 or 4 or 8")});
}

// A parameter file that is not XML is said when the tables open; the positions are then checked
// against the default sizes. One that is well-formed says nothing.
TEST_F(TopicChecks, AParameterFileThatIsNotXMLIsReportedWhenTheTablesOpen) {
    const struct {
        const char* name;
        QByteArray parGen;
        bool reported;
    } cases[] = {
        {"not closed", "<Par_Gen><PROFINET_NB_IN>10</PROFINET_NB_IN>", true},
        {"two roots", sizes("10", "20") + "<Par_Gen/>", true},
        {"empty file", "", true},
        {"well-formed", sizes("10", "20"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        writeParGen(c.parGen);
        open();
        if (c.reported) {
            ASSERT_EQ(rec.errors().size(), 1);
            EXPECT_TRUE(rec.errors()[0].contains(g_ParGenFile)) << rec.errors()[0].toStdString();
            EXPECT_TRUE(rec.errors()[0].contains(QStringLiteral("not well-formed"))) << rec.errors()[0].toStdString();
        } else {
            EXPECT_TRUE(rec.shown.empty());
        }
        rec.clear();
        set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("p1")));
        dlg->CG_Pub->SetCells(6, 1, QStringLiteral("10"));
        dlg->Btn_OK->click();
        if (c.reported)
            EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
        else
            EXPECT_EQ(rec.texts(), QStringList{s("Error row 1!! [MQTT Publish] Position must be beetween 0 and 9")});
    }
}

TEST_F(TopicChecks, TheTemplateKeywordRule) {
    const struct {
        const char* text;
        bool wrong;
    } cases[] = {{"", false}, {"plain", false}, {"$VALUE$", false}, {"$", true}, {"$VALUE", true},
                 {"$A$ $B$ $", true}, {"$A$$B$", false}};
    for (const auto& c : cases) EXPECT_EQ(TFMQTT_Set_Topic::Error_In_Topic_Template(s(c.text)), c.wrong) << c.text;
}

// Rows typed under a blank Topic would be dropped by the save without a word.
TEST_F(TopicChecks, OKRefusesARowInUseBelowTheEndOfTheTable) {
    const struct {
        const char* name;
        bool publish;
        int typedRow;
        Cells typed;
        const char* message;
    } cases[] = {
        {"topic typed after an empty row", true, 3, {{1, s("late")}},
         "Error row 3!! [MQTT Publish] Row 2 above has an empty Topic, which ends the table: this row and every row "
         "below row 2 would not be saved. Fill in the Topic of row 2 or delete that row."},
        {"only a mnemonic far below", true, 900, {{18, s("note")}},
         "Error row 900!! [MQTT Publish] Row 2 above has an empty Topic, which ends the table: this row and every "
         "row below row 2 would not be saved. Fill in the Topic of row 2 or delete that row."},
        {"a ticked box", true, 5, {{2, s("Y")}},
         "Error row 5!! [MQTT Publish] Row 2 above has an empty Topic, which ends the table: this row and every row "
         "below row 2 would not be saved. Fill in the Topic of row 2 or delete that row."},
        {"a box ticked and cleared again", true, 5, {{2, s("N")}, {1, s("   ")}}, nullptr},
        {"subscription", false, 1024, {{1, s("last")}},
         "Error row 1024!! [MQTT Subscribe] Row 2 above has an empty Topic, which ends the table: this row and every "
         "row below row 2 would not be saved. Fill in the Topic of row 2 or delete that row."},
    };
    // The key-up comes from each control's own timer: the test fires it instead of waiting.
    const bool wasManual = plat::TTimer::Manual();
    plat::TTimer::SetManual(true);
    const auto restore = qScopeGuard([&] { plat::TTimer::SetManual(wasManual); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        QFile::remove(g_MQTTSetTopicFile);
        open();
        set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("p1")));
        set(*dlg->CG_Sub, 1, goodSub(QStringLiteral("s1")));
        // Row 2 blank, apart from a Topic of blanks.
        (c.publish ? dlg->CG_Pub : dlg->CG_Sub)->SetCells(1, 2, QStringLiteral("  "));
        set(c.publish ? *dlg->CG_Pub : *dlg->CG_Sub, c.typedRow, c.typed);
        dlg->Btn_OK->click();
        if (c.message) {
            EXPECT_EQ(rec.texts(), QStringList{s(c.message)});
            EXPECT_FALSE(plat::fileExists(g_MQTTSetTopicFile));
        } else {
            EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
            EXPECT_EQ(file().count("<row "), 2);
        }
    }
}

TEST_F(TopicChecks, ClosingTheGapLetsOKSaveEveryRow) {
    open();
    set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("p1")));
    set(*dlg->CG_Pub, 3, goodPub(QStringLiteral("p3")));
    dlg->Btn_OK->click();
    ASSERT_EQ(rec.errors().size(), 1);
    rec.clear();
    dlg->CG_Pub->SetRow(2);
    rec.answers.push_back(plat::Answer::Yes);
    dlg->Btn_DelRow->click();
    EXPECT_EQ(rec.texts(), QStringList{s("Are you sure to delete the Row number 2")});
    rec.clear();
    dlg->Btn_OK->click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    const QByteArray saved = file();
    EXPECT_EQ(saved.count("<row "), 2);
    EXPECT_LT(saved.indexOf("Topic=\"p1\""), saved.indexOf("Topic=\"p3\""));
}

TEST_F(TopicRows, EachTableKeepsItsOwnCopyFlag) {
    open();
    set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("p1")));
    set(*dlg->CG_Sub, 1, goodSub(QStringLiteral("s1")));
    const QString refused = s("Error!!! Copy a valid row before Paste it");

    dlg->CG_Pub->SetRow(1);
    dlg->Btn_CopyRow->click();
    dlg->PageControl1->setCurrentWidget(dlg->TS_MQTT_Subscribe);
    dlg->CG_Sub->SetRow(2);
    dlg->Btn_PasteRow->click();
    EXPECT_EQ(rec.texts(), QStringList{refused});
    EXPECT_EQ(row(*dlg->CG_Sub, 2), row(*dlg->CG_Sub, 5));

    // Copied on the subscription page, the row pastes there and no longer on the publication page.
    rec.clear();
    dlg->CG_Sub->SetRow(1);
    dlg->Btn_CopyRow->click();
    dlg->CG_Sub->SetRow(2);
    dlg->Btn_PasteRow->click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(row(*dlg->CG_Sub, 2), row(*dlg->CG_Sub, 1));
    dlg->PageControl1->setCurrentWidget(dlg->TS_MQTT_Publish);
    dlg->CG_Pub->SetRow(2);
    dlg->Btn_PasteRow->click();
    EXPECT_EQ(rec.texts(), QStringList{refused});
    EXPECT_TRUE(dlg->CG_Pub->Cells(1, 2).isEmpty());

    // A new showing forgets what was copied.
    rec.clear();
    dlg->PageControl1->setCurrentWidget(dlg->TS_MQTT_Publish);
    dlg->Btn_CopyRow->click();
    open();
    dlg->CG_Pub->SetRow(3);
    dlg->Btn_PasteRow->click();
    EXPECT_EQ(rec.texts(), QStringList{refused});
}

TEST_F(TopicRows, RowButtonsActOnTheTableOfTheShownPage) {
    open();
    for (int r = 1; r <= 3; ++r) {
        set(*dlg->CG_Pub, r, goodPub(QStringLiteral("p%1").arg(r)));
        set(*dlg->CG_Sub, r, goodSub(QStringLiteral("s%1").arg(r)));
    }
    const QStringList pubBefore = row(*dlg->CG_Pub, 2);
    dlg->PageControl1->setCurrentWidget(dlg->TS_MQTT_Subscribe);
    dlg->CG_Sub->SetRow(2);
    dlg->CG_Pub->SetRow(2);
    dlg->Btn_InsRow->click();
    EXPECT_TRUE(dlg->CG_Sub->Cells(1, 2).isEmpty());
    EXPECT_EQ(dlg->CG_Sub->Cells(1, 3), QStringLiteral("s2"));
    EXPECT_EQ(dlg->CG_Sub->Cells(1, 4), QStringLiteral("s3"));
    EXPECT_EQ(row(*dlg->CG_Pub, 2), pubBefore);

    // Delete asks with the row number; No keeps the row.
    rec.answers.push_back(plat::Answer::No);
    dlg->CG_Sub->SetRow(3);
    dlg->Btn_DelRow->click();
    EXPECT_EQ(rec.texts(), QStringList{s("Are you sure to delete the Row number 3")});
    EXPECT_EQ(dlg->CG_Sub->Cells(1, 3), QStringLiteral("s2"));
    rec.answers.push_back(plat::Answer::Yes);
    dlg->Btn_DelRow->click();
    EXPECT_EQ(dlg->CG_Sub->Cells(1, 3), QStringLiteral("s3"));
    EXPECT_EQ(row(*dlg->CG_Pub, 2), pubBefore);
}

QStringList shownHeaders(const TExColumnGrid& g) {
    QStringList l;
    for (int c = 0; c < g.TotalColCount(); ++c)
        if (!g.IsHiddenColumn(c)) l << g.Cells(c, 0);
    return l;
}

TEST_F(TopicLayout, ColumnsHeadersAndEditorsOfThisLayout) {
    open();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Set MQTT Topics"));
    EXPECT_EQ(dlg->CG_Pub->RowCount(), 1025);
    EXPECT_EQ(dlg->CG_Sub->RowCount(), 1025);
    EXPECT_EQ(dlg->CG_Pub->TotalColCount(), 19);
    EXPECT_EQ(dlg->CG_Sub->TotalColCount(), 16);
    EXPECT_EQ(shownHeaders(*dlg->CG_Pub),
              (QStringList{"N", "Topic", "Retained", "QoS", "Data Type", "Dimension", "Position", "Template",
                           "OnChange", "OnCMD", "OnTimer", "Time(ms)", "Mnemonic"}));
    EXPECT_EQ(shownHeaders(*dlg->CG_Sub),
              (QStringList{"N", "Topic", "QoS", "Data Type", "Dimension", "Position", "Template", "Mnemonic"}));
    // Hidden columns are labelled too.
    EXPECT_EQ(dlg->CG_Pub->Cells(15, 0), QStringLiteral("Channel"));
    EXPECT_EQ(dlg->CG_Sub->Cells(9, 0), QStringLiteral("Type"));
    EXPECT_EQ(dlg->PageControl1->currentWidget(), dlg->TS_MQTT_Publish);
    EXPECT_TRUE(dlg->PageControl1->isTabVisible(1));
    EXPECT_EQ(dlg->PageControl1->tabText(1), QStringLiteral("MQTT Subscribe"));

    const struct {
        TExColumnGrid* grid;
        int col;
        TEditorType editor;
        QStringList firstItems;
        int itemCount;
        int width;
    } columns[] = {
        {dlg->CG_Pub, 1, edNormal, {}, 0, 300},
        {dlg->CG_Pub, 2, edDataCheckBox, {}, 0, 60},
        {dlg->CG_Pub, 3, edComboList, {"0", "1", "2"}, 3, 80},
        {dlg->CG_Pub, 4, edComboList, {"Int", "SInt", "Float", "String", "Base64"}, 5, 80},
        {dlg->CG_Pub, 10, edComboEdit, {"$VALUE$"}, 1, 130},
        {dlg->CG_Pub, 15, edComboList, {"0", "1"}, 321, 90},
        {dlg->CG_Pub, 18, edNormal, {}, 0, 170},
        {dlg->CG_Sub, 9, edComboList, {"TCP", "UDP"}, 2, 64},
        {dlg->CG_Sub, 12, edComboEdit, {"$VALUE$"}, 1, 130},
        {dlg->CG_Sub, 14, edDataCheckBox, {}, 0, 80},
        {dlg->CG_Sub, 15, edNormal, {}, 0, 220},
    };
    for (const auto& c : columns) {
        SCOPED_TRACE(c.col);
        const TGridColumnItem& item = c.grid->Columns().Items(c.col);
        EXPECT_EQ(item.Editor(), c.editor);
        EXPECT_EQ(item.ComboItems().size(), c.itemCount);
        EXPECT_EQ(item.ComboItems().mid(0, c.firstItems.size()), c.firstItems);
        EXPECT_EQ(item.Width(), c.width);
        // Check boxes are centred in their column; every other column keeps the left alignment.
        EXPECT_EQ(item.Alignment(), c.editor == edDataCheckBox ? taCenter : taLeftJustify);
    }
    const QStringList channels = dlg->CG_Pub->Columns().Items(15).ComboItems();
    EXPECT_EQ(channels.value(63), QStringLiteral("63"));
    EXPECT_EQ(channels.value(64), QStringLiteral("All"));
    EXPECT_EQ(channels.value(65), QStringLiteral("TAB001"));
    EXPECT_EQ(channels.value(320), QStringLiteral("TAB256"));
}

TEST_F(TopicLayout, HeaderCellsCarryTheirColumnsHint) {
    open();
    dlg->CG_Pub->setToolTip(QStringLiteral("grid's own"));
    const struct {
        TExColumnGrid* grid;
        int row, realCol;
        const char* hint;
    } cases[] = {
        {dlg->CG_Pub, 0, 1, "Insert the MQTT Topic"},
        {dlg->CG_Pub, 0, 10, "Insert the Template"},
        {dlg->CG_Pub, 0, 14, "Insert then Timer in milliseconds between two Publish"},
        {dlg->CG_Pub, 0, 18, "Description of MQTT Topic"},
        {dlg->CG_Sub, 0, 12, "Insert the Template"},
        {dlg->CG_Sub, 0, 3, "Select the QoS value"},
        {dlg->CG_Pub, 0, 0, "grid's own"},
        {dlg->CG_Pub, 4, 10, "grid's own"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hint);
        EXPECT_EQ(c.grid->CellHint(c.row, c.grid->DisplColIndex(c.realCol)), s(c.hint));
    }
    EXPECT_EQ(dlg->Hint_MQTT_Set_Topic_Pub.size(), 18);
    EXPECT_EQ(dlg->Hint_MQTT_Set_Topic_Sub.size(), 15);
    EXPECT_EQ(dlg->Hint_MQTT_Set_Topic_Pub.value(15), QStringLiteral("Enable/Disabel the Possibility to Swap the byte in Modbus Register"));
    EXPECT_EQ(dlg->Hint_MQTT_Set_Topic_Sub.value(10), QStringLiteral("Enable/Disable Hex format for Template"));
}

TEST_F(TopicLayout, SetLangRelabelsFromTheTextTable) {
    Text_Table[715] = QStringLiteral("Argomento");
    Text_Table[736] = QStringLiteral("Inserire il modello");
    Text_Table[704] = QStringLiteral("Cancella riga");
    dlg->Set_Lang();
    open();
    EXPECT_EQ(dlg->CG_Pub->Cells(1, 0), QStringLiteral("Argomento"));
    EXPECT_EQ(dlg->CG_Pub->CellHint(0, dlg->CG_Pub->DisplColIndex(10)), QStringLiteral("Inserire il modello"));
    EXPECT_EQ(dlg->Btn_DelRow->Caption(), QStringLiteral("Cancella riga"));
}

// No button is a default one: Enter passed on by a grid or the keyword list presses nothing, while a
// focused button still takes its own Enter. Esc is the window's Cancel wherever the focus is.
TEST_F(TopicLayout, EnterPressesOnlyAFocusedButtonAndEscCancels) {
    const struct {
        const char* name;
        plat::TForm* window;
        QWidget* target;
        Qt::Key key;
        bool closes;
        int result;
    } cases[] = {
        {"publication grid", dlg.get(), dlg->CG_Pub, Qt::Key_Return, false, 0},
        {"subscription grid, keypad Enter", dlg.get(), dlg->CG_Sub, Qt::Key_Enter, false, 0},
        {"Allow CR LF box", dlg.get(), dlg->CB_Allow_CR_LF, Qt::Key_Return, false, 0},
        {"Esc in the grid", dlg.get(), dlg->CG_Pub, Qt::Key_Escape, true, plat::mrCancel},
        {"Esc on the Allow CR LF box", dlg.get(), dlg->CB_Allow_CR_LF, Qt::Key_Escape, true, plat::mrCancel},
        {"Esc on the focused OK", dlg.get(), dlg->Btn_OK, Qt::Key_Escape, true, plat::mrCancel},
        {"focused Cancel", dlg.get(), dlg->Btn_Cancel, Qt::Key_Return, true, plat::mrCancel},
        {"focused OK", dlg.get(), dlg->Btn_OK, Qt::Key_Return, true, plat::mrOk},
        {"keyword list", editor.get(), editor->SG_Keywords, Qt::Key_Return, false, 0},
        {"template text", editor.get(), editor->RE_TopicTemplate, Qt::Key_Return, false, 0},
        {"Esc in the template text", editor.get(), editor->RE_TopicTemplate, Qt::Key_Escape, true, plat::mrCancel},
        {"Esc in the keyword list", editor.get(), editor->SG_Keywords, Qt::Key_Escape, true, plat::mrCancel},
        {"editor's focused OK", editor.get(), editor->Btn_OK, Qt::Key_Return, true, plat::mrOk},
    };
    // The key-up comes from each control's own timer: the test fires it instead of waiting.
    const bool wasManual = plat::TTimer::Manual();
    plat::TTimer::SetManual(true);
    const auto restore = qScopeGuard([&] { plat::TTimer::SetManual(wasManual); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        QFile::remove(g_MQTTSetTopicFile);
        c.window->hide();
        c.window->show();
        QApplication::setActiveWindow(c.window);
        const bool topics = c.window == dlg.get();
        if (topics) set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("p1")));
        c.target->setFocus();
        QTest::keyClick(c.target, c.key);
        // A button fires on the key-up, which its control reports a moment after the release.
        if (auto* control = dynamic_cast<plat::TControl*>(c.target)) control->KeyUpTimer().Fire();
        QApplication::processEvents();
        EXPECT_EQ(c.window->isVisible(), !c.closes);
        if (c.closes) EXPECT_EQ(c.window->ModalResult(), c.result);
        if (topics) EXPECT_EQ(plat::fileExists(g_MQTTSetTopicFile), c.result == plat::mrOk);
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
        c.window->hide();
    }
}

// Esc while a cell of the table is being edited cancels that edit and leaves the window open: the
// text editor and the dropped-down list alike. The next Esc is the window's Cancel: the file stays
// as it was, byte for byte.
TEST_F(TopicLayout, EscCancelsAnOpenCellEditFirstThenTheWindow) {
    const QByteArray before = testing_support::readAll(QStringLiteral(GATEWAY_FIXTURES "/topic_tables_project.xml"));
    ASSERT_FALSE(before.isEmpty());
    const struct {
        const char* name;
        int col;
        bool list;  // the QoS list, dropped down by a double click
    } edits[] = {{"text editor", 1, false}, {"dropped-down list", 3, true}};
    for (const auto& e : edits) {
        SCOPED_TRACE(e.name);
        writeFile(before);
        open();
        dlg->activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(dlg.get()));
        TExColumnGrid& g = *dlg->CG_Pub;
        const QString cell = g.Cells(e.col, 1);
        QWidget* area = g.viewport();
        const QPoint at = area->mapFrom(&g, cellRect(g, g.DisplColIndex(e.col), 1).center());
        QTest::mouseClick(area, Qt::LeftButton, {}, at);
        QComboBox* combo = nullptr;
        if (e.list) {
            QTest::mouseDClick(area, Qt::LeftButton, {}, at);
            QTest::mouseRelease(area, Qt::LeftButton, {}, at);
            combo = area->findChild<QComboBox*>();
            ASSERT_NE(combo, nullptr);
            ASSERT_TRUE(combo->view()->isVisible());
            QTest::keyClick(combo->view(), Qt::Key_Down);
        } else {
            for (const char c : std::string("zz")) QTest::keyClick(QApplication::focusWidget(), c);
            ASSERT_TRUE(g.InplaceEditor()->isVisible());
        }
        QTest::keyClick(e.list ? static_cast<QWidget*>(combo->view()) : QApplication::focusWidget(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(g.Cells(e.col, 1), cell);
        if (e.list) {
            EXPECT_FALSE(combo->view()->isVisible());
            // The offscreen platform does not hand the activation back from a closed pop-up.
            QApplication::setActiveWindow(dlg.get());
            ASSERT_TRUE(testing_support::waitForWindowActive(dlg.get()));
            // A list still open as an editor takes the next Esc too: it ends the edit.
            if (combo->isVisible()) {
                QTest::keyClick(combo, Qt::Key_Escape);
                QCoreApplication::processEvents();
                EXPECT_TRUE(dlg->isVisible());
                EXPECT_FALSE(combo->isVisible());
            }
        } else {
            EXPECT_FALSE(g.InplaceEditor()->isVisible());
        }
        EXPECT_EQ(g.Cells(e.col, 1), cell);
        // Nothing is open now: Esc is the window's Cancel.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->ModalResult(), plat::mrCancel);
        EXPECT_EQ(file(), before);
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    }
}

// The user's own mouse and keys on the publication table: keys typed right after a click on the
// current Topic cell all arrive, Enter moves on without leaving an editor behind, and a
// double-click on a QoS cell shows its list.
TEST_F(TopicLayout, TypingAfterAClickAndDoubleClickingADropDownCell) {
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        warnings << m;
    });
    open();
    dlg->activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(dlg.get()));
    g_EnableJumpFieldTables = 1;
    TExColumnGrid& g = *dlg->CG_Pub;
    QWidget* area = g.viewport();
    const auto at = [&](int realCol, int row) { return area->mapFrom(&g, cellRect(g, g.DisplColIndex(realCol), row).center()); };
    g.SetRow(1);
    g.SetCol(1);
    QTest::mouseClick(area, Qt::LeftButton, {}, at(1, 1));
    for (const char c : std::string("plant1/setpoint")) QTest::keyClick(QApplication::focusWidget(), c);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("plant1/setpoint"));
    EXPECT_EQ(g.GetRealCol(), 2);  // Enter moved on

    QTest::mouseClick(area, Qt::LeftButton, {}, at(3, 2));
    QTest::mouseDClick(area, Qt::LeftButton, {}, at(3, 2));
    // The list opens when the double-click's button comes up.
    QTest::mouseRelease(area, Qt::LeftButton, {}, at(3, 2));
    auto* combo = area->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->view()->isVisible());
    EXPECT_EQ(combo->count(), 3);
    combo->hidePopup();
    QTest::keyClick(combo, Qt::Key_Escape);
    QCoreApplication::processEvents();
    g_EnableJumpFieldTables = 0;
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.filter(QStringLiteral("commitData")).isEmpty()) << warnings.join(u'\n').toStdString();
}

// With the Enter jump on, Enter after a typed Topic moves onto the Retained check cell and opens
// nothing there: letters typed on it change nothing, on a new row and on one that holds "N", and
// the saved file holds only check values.
TEST_F(TopicLayout, TheEnterJumpNeverEditsTheRetainedCheckCell) {
    open();
    dlg->activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(dlg.get()));
    g_EnableJumpFieldTables = 1;
    TExColumnGrid& g = *dlg->CG_Pub;
    QWidget* area = g.viewport();
    const auto at = [&](int realCol, int row) {
        return area->mapFrom(&g, cellRect(g, g.DisplColIndex(realCol), row).center());
    };
    const auto type = [](const char* text) {
        for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
    };
    g.SetCells(2, 2, QStringLiteral("N"));  // a row as it comes from the file
    const struct {
        int row;
        const char* before;
    } rows[] = {{1, ""}, {2, "N"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        QTest::mouseClick(area, Qt::LeftButton, {}, at(1, r.row));
        type(r.row == 1 ? "t/1" : "t/2");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        ASSERT_EQ(g.GetRealCol(), 2);
        EXPECT_FALSE(g.EditMode());
        EXPECT_FALSE(g.InplaceEditor() && g.InplaceEditor()->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), area);
        type("abc");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        type("d");
        QCoreApplication::processEvents();
        EXPECT_FALSE(g.InplaceEditor() && g.InplaceEditor()->isVisible());
        EXPECT_EQ(g.Cells(2, r.row), QString::fromLatin1(r.before));
        // Enter goes on to the next cell, as on any cell.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(g.GetRealCol(), 3);
        EXPECT_EQ(g.Cells(2, r.row), QString::fromLatin1(r.before));
        EXPECT_EQ(g.Cells(1, r.row), QString::fromLatin1(r.row == 1 ? "t/1" : "t/2"));
    }
    g_EnableJumpFieldTables = 0;
    for (int row : {1, 2}) {
        Cells cells = goodPub(g.Cells(1, row));
        set(g, row, cells);
    }
    dlg->Btn_OK->click();
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    const QByteArray saved = file();
    EXPECT_EQ(saved.count("<row "), 2);
    EXPECT_TRUE(saved.contains("Topic=\"t/1\" Retained=\"\"")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("Topic=\"t/2\" Retained=\"N\"")) << saved.toStdString();
    EXPECT_FALSE(saved.contains("abc"));
}

// Every column of both tables is drawn in the form's font, the columns a new grid starts with too.
TEST_F(TopicLayout, EveryColumnTakesTheFormsFont) {
    for (TExColumnGrid* g : {dlg->CG_Pub, dlg->CG_Sub}) {
        EXPECT_EQ(g->Font().Name(), QStringLiteral("Tahoma"));
        for (int c = 0; c < g->Columns().Count(); ++c) {
            const TGridColumnItem& item = g->Columns().Items(c);
            EXPECT_EQ(item.Font().Name(), g->Font().Name()) << c;
            EXPECT_EQ(item.Font().Height(), g->Font().Height()) << c;
            EXPECT_EQ(item.HeaderFont().Height(), g->Font().Height()) << c;
        }
    }
}

TEST_F(TopicLayout, EnterMovesToTheNextCellWhenTheOptionIsOn) {
    open();
    g_EnableJumpFieldTables = 1;
    dlg->CG_Pub->SetRow(1);
    dlg->CG_Pub->SetCol(1);
    EXPECT_TRUE(dlg->CG_Pub->KeyPress(QChar(13)));
    EXPECT_EQ(dlg->CG_Pub->Col(), 2);
    g_EnableJumpFieldTables = 0;
    EXPECT_FALSE(dlg->CG_Pub->KeyPress(QChar(13)));
    EXPECT_EQ(dlg->CG_Pub->Col(), 2);
}

}  // namespace
