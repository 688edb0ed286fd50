// The hidden "M-Bus" step and the place of the network editor and the node identifier dialog
// among the program's windows.
#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "gateway/UBoot.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "fieldbus/UDefOffset.h"
#include "gateway/UProfinetFileName.h"
#include "grid/ExCGrid.h"
#include "mbus/UInsertKeyWireless.h"
#include "mbus/UMeter_Bus.h"
#include "mbus/UModbusStartAdd_SD.h"
#include "mbus/UNewIDNode.h"
#include "mbus/UScanDecode.h"
#include "mbus/UScanModbusStart.h"
#include "platform/Form.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

class MBusStep : public ::testing::Test {
protected:
    void SetUp() override {
        Create_Forms();
        main = FVelmarineFirmWare;
    }
    void TearDown() override { Destroy_Forms(); }

    TempAppDir app;
    RecordingDialogs rec;
    TFVelmarineFirmWare* main = nullptr;
};

TEST_F(MBusStep, HiddenStepShowsTheNetworkEditorOfTheOpenProject) {
    TFadeButton* step = main->Step_Button("Btn_MBus");
    ASSERT_NE(step, nullptr);
    EXPECT_FALSE(plat::ownVisible(step));

    g_ProjectName.clear();
    g_ProjectPath.clear();
    main->Btn_Click(step);
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[18]});

    rec.clear();
    g_ProjectName = QStringLiteral("Line 4");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 4");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    writeAll(g_MBusFile, "<M-Bus_Network><Nodo Descrizione=\"Heat\" ID_Primary=\"4\"/></M-Bus_Network>");
    bool shown = false;
    QString caption;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget() == FMeter_Bus;
        caption = FMeter_Bus->NODE_ORIG->child(0)->text(0);
        FMeter_Bus->Btn_Cancel->click();
    });
    main->Btn_Click(step);
    EXPECT_TRUE(shown);
    EXPECT_EQ(caption, QStringLiteral("ID 4 - Heat"));
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_FALSE(plat::ownVisible(step)) << "the step stays hidden";
}

TEST_F(MBusStep, CreatedAndRelabelledInTheProgramsOrder) {
    ASSERT_NE(FMeter_Bus, nullptr);
    ASSERT_NE(FNewIDNode, nullptr);
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    EXPECT_LT(at(FMQTT_Set_Topic), at(FMeter_Bus));
    EXPECT_LT(at(FMeter_Bus), at(FNewIDNode));
    EXPECT_LT(at(FNewIDNode), at(FBoot));

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = std::find(relabelled.begin(), relabelled.end(), FMQTT_Set_Topic);
    ASSERT_NE(pos, relabelled.end());
    ASSERT_GE(relabelled.end() - pos, 3);
    EXPECT_EQ(*(pos + 1), FMeter_Bus);
    EXPECT_EQ(*(pos + 2), FNewIDNode);

    Text_Table[800] = QStringLiteral("Rete M-Bus");
    Text_Table[1204] = QStringLiteral("Scegli l'indirizzo");
    main->Change_Language();
    EXPECT_EQ(FMeter_Bus->windowTitle(), QStringLiteral("Rete M-Bus"));
    EXPECT_EQ(FNewIDNode->Label1->text(), QStringLiteral("Scegli l'indirizzo"));
    Load_Default_Language();
}

// The Scan & Decode window and its key, start-register and start-address dialogs follow the
// field-bus lists, at start-up and in a language change.
TEST_F(MBusStep, ScanDialogsCreatedAndRelabelledAfterTheFieldbusLists) {
    plat::TForm* const order[] = {FDefOffset, FScanDecode, FInsertKeyWireless, FScanModbusStart, FModbusStartAdd_SD,
                                  FProfinetFileName};
    const QObjectList children = main->children();
    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto rank = [&](plat::TForm* f) { return std::find(relabelled.begin(), relabelled.end(), f); };
    for (size_t i = 0; i < std::size(order); ++i) {
        ASSERT_GE(children.indexOf(order[i]), 0) << i;
        ASSERT_NE(rank(order[i]), relabelled.end()) << i;
    }
    for (size_t i = 1; i < std::size(order); ++i) {
        EXPECT_LT(children.indexOf(order[i - 1]), children.indexOf(order[i])) << i;
        EXPECT_LT(rank(order[i - 1]), rank(order[i])) << i;
    }

    Text_Table[3000] = QStringLiteral("Chiave (HEX)");
    Text_Table[3321] = QStringLiteral("Avvia scansione");
    Text_Table[3203] = QStringLiteral("Primo registro Modbus");
    Text_Table[3105] = QStringLiteral("Indirizzo Modbus");
    main->Change_Language();
    EXPECT_EQ(FInsertKeyWireless->L_InsKey->text(), QStringLiteral("Chiave (HEX)"));
    EXPECT_EQ(FScanDecode->Btn_StartScan->Caption(), QStringLiteral("Avvia scansione"));
    EXPECT_EQ(FScanModbusStart->L_StartModAdd->text(), QStringLiteral("Primo registro Modbus"));
    EXPECT_EQ(FModbusStartAdd_SD->sga->Cells(1, 0), QStringLiteral("Indirizzo Modbus"));
    Load_Default_Language();
}

// The hidden "Scan & Decode" step: asks before a scan may change an existing network file, then
// opens the window for this gateway's wired scan.
TEST_F(MBusStep, HiddenScanStepAsksAboutAnExistingNetworkFile) {
    TFadeButton* step = main->Step_Button("Btn_ScanDecode");
    ASSERT_NE(step, nullptr);
    EXPECT_FALSE(plat::ownVisible(step));
    g_ProjectName = QStringLiteral("Line 5");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 5");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    FScanDecode->XML_Code_Dev = 3;
    FScanDecode->Form_Type = 1;

    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget() == FScanDecode;
        FScanDecode->close();
    });
    main->Btn_Click(step);
    EXPECT_TRUE(shown) << "no file: no question";
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(FScanDecode->XML_Code_Dev, 18);
    EXPECT_EQ(FScanDecode->Form_Type, 0);
    EXPECT_EQ(FScanDecode->FileName_MBus, g_MBusFile);

    writeAll(g_MBusFile, "<M-Bus_Network/>");
    shown = false;
    rec.answers = {plat::Answer::No};
    main->Btn_Click(step);
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[49]});
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, testing_support::Shown::WarningYesNo) << "a warning, not a plain question";
    EXPECT_FALSE(shown);

    rec.clear();
    rec.answers = {plat::Answer::Yes};
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget() == FScanDecode;
        FScanDecode->close();
    });
    main->Btn_Click(step);
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[49]});
    EXPECT_TRUE(shown);
}

}  // namespace
