// The place of the Modbus master and Modbus TCP master lists among the program's windows, and the
// hidden Modbus step, which opens neither.
#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "fieldbus/UModbus_TCP_Master_Set_Access.h"
#include "fieldbus/USetAccess.h"
#include "fieldbus/USet_PDO_Access.h"
#include "gateway/UBoot.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "gateway/UTopicTemplate.h"
#include "mbus/UNewIDNode.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

using testing_support::RecordingDialogs;
using testing_support::TempAppDir;

namespace {

class ModbusSteps : public ::testing::Test {
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

TEST_F(ModbusSteps, CreatedAndRelabelledInTheProgramsOrder) {
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    ASSERT_GE(at(FSetAccess), 0);
    ASSERT_GE(at(FModbus_TCP_Master_Set_Access), 0);
    EXPECT_LT(at(FBoot), at(FSetAccess));
    EXPECT_LT(at(FSetAccess), at(FTopicTemplate));
    EXPECT_LT(at(FTopicTemplate), at(FModbus_TCP_Master_Set_Access));
    EXPECT_LT(at(FModbus_TCP_Master_Set_Access), at(FSet_PDO_Access));

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = std::find(relabelled.begin(), relabelled.end(), FSetAccess);
    ASSERT_NE(pos, relabelled.end());
    ASSERT_NE(pos, relabelled.begin());
    ASSERT_NE(pos + 1, relabelled.end());
    EXPECT_EQ(*(pos - 1), FNewIDNode);
    EXPECT_EQ(*(pos + 1), FModbus_TCP_Master_Set_Access);

    Text_Table[1300] = QStringLiteral("Regole Modbus");
    Text_Table[1315] = QStringLiteral("Scrittura Modbus");
    Text_Table[1510] = QStringLiteral("Indirizzo IP");
    Text_Table[1502] = QStringLiteral("Conferma");
    main->Change_Language();
    EXPECT_EQ(FSetAccess->windowTitle(), QStringLiteral("Regole Modbus"));
    EXPECT_EQ(FSetAccess->PageControl1->tabText(1), QStringLiteral("Scrittura Modbus"));
    EXPECT_EQ(FModbus_TCP_Master_Set_Access->CG_Modbus_Read->Cells(2, 0), QStringLiteral("Indirizzo IP"));
    EXPECT_EQ(FModbus_TCP_Master_Set_Access->Btn_OK->Caption(), QStringLiteral("Conferma"));
}

TEST_F(ModbusSteps, TheHiddenModbusStepOpensNoList) {
    TFadeButton* step = main->Step_Button("Btn_Modbus_Set_Access");
    ASSERT_NE(step, nullptr);
    EXPECT_FALSE(plat::ownVisible(step));
    g_ProjectName.clear();
    g_ProjectPath.clear();
    Set_Files();
    main->Btn_Click(step);
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[18]});

    g_ProjectName = QStringLiteral("Line 4");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 4");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    rec.clear();
    QWidget* opened = nullptr;
    QTimer::singleShot(0, [&] {
        opened = QApplication::activeModalWidget();
        if (opened) opened->close();
    });
    main->Btn_Click(step);
    QApplication::processEvents();
    EXPECT_EQ(opened, nullptr);
    EXPECT_FALSE(FSetAccess->isVisible());
    EXPECT_FALSE(FModbus_TCP_Master_Set_Access->isVisible());
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
}

}  // namespace
