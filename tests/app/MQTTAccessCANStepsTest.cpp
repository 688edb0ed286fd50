// The MQTT access list, its Ethernet twin and the CAN frame lists among the program's windows:
// created and relabelled in the program's order (the MQTT access list keeps the texts of its
// creation), the hidden steps that show them, and the template editor the program connects.
#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "fieldbus/UMQTT_Set_Access.h"
#include "fieldbus/UModbus_TCP_Master_Set_Access.h"
#include "fieldbus/UReceiveCAN.h"
#include "fieldbus/USetAccess.h"
#include "fieldbus/USet_PDO_Access.h"
#include "fieldbus/UTransmitCAN.h"
#include "gateway/UTopicTemplate.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

class MQTTAccessCANSteps : public ::testing::Test {
protected:
    void SetUp() override {
        Create_Forms();
        main = FVelmarineFirmWare;
    }
    void TearDown() override {
        Destroy_Forms();
        Load_Default_Language();
    }
    void openProject() {
        g_ProjectName = QStringLiteral("Line 4");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 4");
        ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
        Set_Files();
    }

    TempAppDir app;
    RecordingDialogs rec;
    TFVelmarineFirmWare* main = nullptr;
};

TEST_F(MQTTAccessCANSteps, CreatedInTheProgramsOrderAndOnlyTheCANListsRelabelled) {
    plat::TForm* const created[] = {FSetAccess,   FMQTT_Set_Access, FMQTT_SetAccess_Eth,
                                    FTopicTemplate, FModbus_TCP_Master_Set_Access, FReceiveCAN,
                                    FTransmitCAN, FSet_PDO_Access};
    const QObjectList children = main->children();
    for (size_t i = 0; i < std::size(created); ++i) ASSERT_GE(children.indexOf(created[i]), 0) << i;
    for (size_t i = 1; i < std::size(created); ++i)
        EXPECT_LT(children.indexOf(created[i - 1]), children.indexOf(created[i])) << i;

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = std::find(relabelled.begin(), relabelled.end(), FModbus_TCP_Master_Set_Access);
    ASSERT_NE(pos, relabelled.end());
    ASSERT_LT(pos + 3, relabelled.end());
    EXPECT_EQ(*(pos + 1), FReceiveCAN);
    EXPECT_EQ(*(pos + 2), FTransmitCAN);
    EXPECT_EQ(*(pos + 3), FSet_PDO_Access);
    for (plat::TForm* kept : {static_cast<plat::TForm*>(FMQTT_Set_Access), static_cast<plat::TForm*>(FMQTT_SetAccess_Eth)})
        EXPECT_EQ(std::find(relabelled.begin(), relabelled.end(), kept), relabelled.end());

    Text_Table[1400] = QStringLiteral("Accesso MQTT");
    Text_Table[1418] = QStringLiteral("Argomento");
    Text_Table[2100] = QStringLiteral("Ricezione CAN");
    Text_Table[2224] = QStringLiteral("Mnemonico");
    main->Change_Language();
    EXPECT_EQ(FReceiveCAN->windowTitle(), QStringLiteral("Ricezione CAN"));
    EXPECT_EQ(FTransmitCAN->CG_CAN_Transmit->Cells(17, 0), QStringLiteral("Mnemonico"));
    EXPECT_EQ(FMQTT_Set_Access->windowTitle(), QStringLiteral("MQTT Set Access"));
    EXPECT_EQ(FMQTT_Set_Access->CG_Pub->Cells(2, 0), QStringLiteral("Topic"));
    EXPECT_EQ(FMQTT_SetAccess_Eth->windowTitle(), QStringLiteral("MQTT Set Access"));
}

TEST_F(MQTTAccessCANSteps, TheHiddenStepsShowTheirLists) {
    openProject();
    writeAll(g_CANRecFramesFile, "<Receive_Frames><row COBID=\"0x181\" Dim=\"1\"/></Receive_Frames>");
    writeAll(g_CANSendFramesFile, "<Transmit_Frames><row COBID=\"0x201\" Dim=\"1\"/></Transmit_Frames>");
    writeAll(g_MQTTSetTopicFile, "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"a/b\"/></MQTT_Publish>"
                                 "<MQTT_Subscribe/></MQTT_Set_Topic>");
    writeAll(g_MQTTSetAccessFile, "<MQTT_Set_Access><MQTT_Publish><row Enable=\"Y\" Index_Topic=\"0\"/>"
                                  "</MQTT_Publish><MQTT_Subscribe/></MQTT_Set_Access>");
    const struct {
        const char* step;
        TAccessListForm* form;
        std::function<QString()> seen;
        const char* expected;
    } steps[] = {
        {"Btn_MQTT_Set_Access", FMQTT_Set_Access, [] { return FMQTT_Set_Access->CG_Pub->Cells(2, 1); }, "a/b"},
        {"Btn_CAN_Rec_Frame", FReceiveCAN, [] { return FReceiveCAN->CG_CAN_Receive->Cells(2, 1); }, "0x181"},
        {"Btn_CAN_Send_Frame", FTransmitCAN, [] { return FTransmitCAN->CG_CAN_Transmit->Cells(2, 1); }, "0x201"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        TFadeButton* step = main->Step_Button(s.step);
        ASSERT_NE(step, nullptr);
        EXPECT_FALSE(plat::ownVisible(step));
        bool shown = false;
        QString seen;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activeModalWidget() == s.form;
            seen = s.seen();
            s.form->Btn_Cancel->click();
        });
        main->Btn_Click(step);
        EXPECT_TRUE(shown);
        EXPECT_EQ(seen, QString::fromLatin1(s.expected));
    }
    EXPECT_EQ(main->Step_Button("Btn_MQTT_Set_Access")->Caption(), QStringLiteral("MQTT Set Access"));
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
}

TEST_F(MQTTAccessCANSteps, TheTemplateCellOpensTheGatewaysEditorInTemplateMode) {
    openProject();
    TFMQTT_Set_Access& f = *FMQTT_Set_Access;
    f.show();
    QApplication::processEvents();
    f.CG_Pub->SetCells(6, 3, QStringLiteral("x\r\ny"));
    FTopicTemplate->TopicTemplate = false;
    bool shown = false;
    QString caption, description, text;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget() == FTopicTemplate;
        caption = FTopicTemplate->windowTitle();
        description = FTopicTemplate->L_SW_Desc()->text();
        text = FTopicTemplate->RE_TopicTemplate->toPlainText();
        FTopicTemplate->RE_TopicTemplate->setPlainText(QStringLiteral("a\nb"));
        FTopicTemplate->Btn_OK->click();
    });
    f.CG_Pub->DblClickCell(3, 6);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(FTopicTemplate->TopicTemplate);
    EXPECT_EQ(caption, Text_Table[1701]);
    EXPECT_EQ(description, Text_Table[1703]);
    EXPECT_EQ(text, QStringLiteral("x\ny"));
    EXPECT_EQ(f.CG_Pub->Cells(6, 3), QStringLiteral("a\r\nb"));

    // Cancel in the editor leaves the cell alone.
    QTimer::singleShot(0, [&] {
        FTopicTemplate->RE_TopicTemplate->setPlainText(QStringLiteral("never"));
        FTopicTemplate->Btn_Cancel->click();
    });
    f.CG_Pub->DblClickCell(3, 6);
    EXPECT_EQ(f.CG_Pub->Cells(6, 3), QStringLiteral("a\r\nb"));
    f.Btn_Cancel->click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
}

// The user's own steps: a click on another cell of the row, a double-click on the Template cell
// (which opens the cell's drop-down besides the gateway's editor), the template rewritten in the
// editor, then the list's OK. No drop-down stays open over the cell to write the older text back,
// and the file keeps the new template, its line breaks escaped as ever.
TEST_F(MQTTAccessCANSteps, ATemplateRewrittenInTheEditorIsSaved) {
    openProject();
    const struct {
        const char* name;
        int page;
        std::vector<const char*> lines;  // typed, Return between them
        const char* attribute;           // as the file holds it
        const char* cell;                // as the cell holds it
    } cases[] = {
        {"one line on the publish page", 0, {"NEWTEMPLATE $VALUE$"}, "Template=\"NEWTEMPLATE $VALUE$\"",
         "NEWTEMPLATE $VALUE$"},
        {"two lines on the subscribe page", 1, {"{\"v\": $VALUE$,", "\"u\": \"bar\"}"},
         "Template=\"{&quot;v&quot;: $VALUE$,&#13;&#10;&quot;u&quot;: &quot;bar&quot;}\"",
         "{\"v\": $VALUE$,\r\n\"u\": \"bar\"}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(g_MQTTSetTopicFile, "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"plant/a\"/></MQTT_Publish>"
                                     "<MQTT_Subscribe><row Topic=\"plant/cmd\"/></MQTT_Subscribe></MQTT_Set_Topic>");
        const QByteArray row = "<row Enable=\"Y\" Index_Topic=\"0\" DataType=\"Int\" Dimension=\"2\" Position=\"0\" "
                               "Template=\"$VALUE$\" Mnemonic=\"m\"/>";
        writeAll(g_MQTTSetAccessFile, "<MQTT_Set_Access><MQTT_Publish>" + row + "</MQTT_Publish><MQTT_Subscribe>" +
                                          row + "</MQTT_Subscribe></MQTT_Set_Access>");
        TFMQTT_Set_Access& f = *FMQTT_Set_Access;
        f.show();
        f.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&f));
        f.PageControl1->setCurrentIndex(c.page);
        TExColumnGrid& g = c.page == 0 ? *f.CG_Pub : *f.CG_Sub;
        ASSERT_EQ(g.Cells(6, 1), QStringLiteral("$VALUE$"));
        const auto aim = [&g](int col) {
            const QRect cell = cellRect(g, g.DisplColIndex(col), 1);
            EXPECT_FALSE(cell.isEmpty()) << "column " << col << " is not on screen";
            QWidget* w = g.childAt(cell.center());
            if (!w) w = &g;
            return std::pair{w, w->mapFrom(&g, cell.center())};
        };
        const auto [other, otherAt] = aim(4);
        QTest::mouseClick(other, Qt::LeftButton, {}, otherAt);
        bool edited = false;
        QTimer::singleShot(0, [&] {
            ASSERT_EQ(QApplication::activeModalWidget(), FTopicTemplate);
            EXPECT_EQ(FTopicTemplate->Text(), QStringLiteral("$VALUE$"));
            FTopicTemplate->activateWindow();
            ASSERT_TRUE(testing_support::waitForWindowActive(FTopicTemplate));
            QTest::keyClick(FTopicTemplate->RE_TopicTemplate, Qt::Key_A, Qt::ControlModifier);
            for (size_t i = 0; i < c.lines.size(); ++i) {
                if (i) QTest::keyClick(FTopicTemplate->RE_TopicTemplate, Qt::Key_Return);
                QTest::keyClicks(FTopicTemplate->RE_TopicTemplate, QString::fromUtf8(c.lines[i]));
            }
            QTest::mouseClick(FTopicTemplate->Btn_OK, Qt::LeftButton);
            edited = true;
        });
        // The first click makes the Template cell current; the double click on it then opens the
        // cell's drop-down besides the template editor.
        const auto [templ, templAt] = aim(6);
        QTest::mouseClick(templ, Qt::LeftButton, {}, templAt);
        const auto [again, againAt] = aim(6);
        QTest::mouseDClick(again, Qt::LeftButton, {}, againAt);
        QCoreApplication::processEvents();
        ASSERT_TRUE(edited);
        EXPECT_EQ(g.Cells(6, 1), QString::fromUtf8(c.cell));
        // No cell editor is left over the cell with the older text.
        EXPECT_FALSE(g.EditMode() || g.EditorMode());
        EXPECT_EQ(g.childAt(cellRect(g, g.DisplColIndex(6), 1).center()), g.viewport());
        // The list's OK, pressed as a user presses it: the button takes the focus first.
        f.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&f));
        f.Btn_OK->setFocus(Qt::MouseFocusReason);
        QTest::mouseClick(f.Btn_OK, Qt::LeftButton);
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
        EXPECT_EQ(f.ModalResult(), plat::mrOk);
        const QByteArray file = readAll(g_MQTTSetAccessFile);
        const QByteArray section = c.page == 0 ? file.left(file.indexOf("<MQTT_Subscribe"))
                                               : file.mid(file.indexOf("<MQTT_Subscribe"));
        EXPECT_TRUE(section.contains(c.attribute)) << file.toStdString();
        // The other page keeps its template.
        const QByteArray otherSection = c.page == 0 ? file.mid(file.indexOf("<MQTT_Subscribe"))
                                                    : file.left(file.indexOf("<MQTT_Subscribe"));
        EXPECT_TRUE(otherSection.contains("Template=\"$VALUE$\"")) << file.toStdString();
        f.hide();
    }
}

}  // namespace
