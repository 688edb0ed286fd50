// The hidden CANopen steps and the place of the PDO and SDO lists among the program's windows.
#include <algorithm>
#include <iterator>
#include <QTabWidget>
#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "fieldbus/USet_PDO_Access.h"
#include "fieldbus/USet_SDO_Client_Access.h"
#include "fieldbus/USet_SDO_Server_Access.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "gateway/UProfinetFileName.h"
#include "gateway/UTopicTemplate.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <algorithm>

using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

class CANopenSteps : public ::testing::Test {
protected:
    void SetUp() override {
        Create_Forms();
        main = FVelmarineFirmWare;
    }
    void TearDown() override {
        Destroy_Forms();
        Load_Default_Language();
    }

    TempAppDir app;
    RecordingDialogs rec;
    TFVelmarineFirmWare* main = nullptr;
};

TEST_F(CANopenSteps, CreatedAndRelabelledInTheProgramsOrder) {
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    ASSERT_GE(at(FSet_PDO_Access), 0);
    EXPECT_LT(at(FTopicTemplate), at(FSet_PDO_Access));
    EXPECT_LT(at(FSet_PDO_Access), at(FSet_SDO_Client_Access));
    EXPECT_LT(at(FSet_SDO_Client_Access), at(FSet_SDO_Server_Access));
    EXPECT_LT(at(FSet_SDO_Server_Access), at(FProfinetFileName));

    // Other lists stand between them; these keep their order.
    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const std::vector<plat::TForm*> expected = {FMQTT_Set_Topic, FSet_PDO_Access, FSet_SDO_Client_Access,
                                                FSet_SDO_Server_Access, FProfinetFileName};
    std::vector<plat::TForm*> seen;
    std::copy_if(relabelled.begin(), relabelled.end(), std::back_inserter(seen),
                 [&](plat::TForm* f) { return std::find(expected.begin(), expected.end(), f) != expected.end(); });
    EXPECT_EQ(seen, expected);

    Text_Table[2300] = QStringLiteral("Regole PDO");
    Text_Table[2430] = QStringLiteral("Sottoindice");
    Text_Table[2515] = QStringLiteral("SDO in Scrittura");
    main->Change_Language();
    EXPECT_EQ(FSet_PDO_Access->windowTitle(), QStringLiteral("Regole PDO"));
    EXPECT_EQ(FSet_SDO_Client_Access->sgb->Cells(3, 0), QStringLiteral("Sottoindice"));
    EXPECT_EQ(FSet_SDO_Server_Access->PageControl1->tabText(1), QStringLiteral("SDO in Scrittura"));
}

TEST_F(CANopenSteps, EachHiddenStepNeedsAProjectThenShowsItsList) {
    const std::pair<const char*, plat::TForm*> steps[] = {{"Btn_PDO_CANopen", FSet_PDO_Access},
                                                          {"Btn_SDO_Client_CANopen", FSet_SDO_Client_Access},
                                                          {"Btn_SDO_Server_CANopen", FSet_SDO_Server_Access}};
    for (const auto& [name, form] : steps) {
        SCOPED_TRACE(name);
        TFadeButton* step = main->Step_Button(name);
        ASSERT_NE(step, nullptr);
        EXPECT_FALSE(plat::ownVisible(step));
        g_ProjectName.clear();
        g_ProjectPath.clear();
        Set_Files();
        rec.clear();
        bool opened = false;
        QTimer::singleShot(0, [&] {
            opened = QApplication::activeModalWidget() != nullptr;
            if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
        });
        main->Btn_Click(step);
        QApplication::processEvents();
        EXPECT_FALSE(opened);
        EXPECT_EQ(rec.errors(), QStringList{Text_Table[18]});
    }

    g_ProjectName = QStringLiteral("Line 4");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 4");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    writeAll(g_PDOCANopenFile,
             "<PDO_CANopen><Receive_PDO><row COB-ID=\"0x181\" Dimension=\"1\" Address_B1=\"0\" Address_B2=\"\" "
             "Address_B3=\"\" Address_B4=\"\" Address_B5=\"\" Address_B6=\"\" Address_B7=\"\" Address_B8=\"\" "
             "TimeOut=\"0\" Mnemonic=\"from file\"/></Receive_PDO><Transmit_PDO/></PDO_CANopen>");
    for (const auto& [name, form] : steps) {
        SCOPED_TRACE(name);
        rec.clear();
        bool shown = false;
        QTimer::singleShot(0, [&, form = form] {
            shown = QApplication::activeModalWidget() == form;
            if (form == FSet_PDO_Access) EXPECT_EQ(FSet_PDO_Access->sga->Cells(12, 1), QStringLiteral("from file"));
            static_cast<TAccessListForm*>(form)->Btn_Cancel->click();
        });
        main->Btn_Click(main->Step_Button(name));
        EXPECT_TRUE(shown);
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    }
}

}  // namespace
