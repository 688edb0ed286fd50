// The KNX and SNMP agent windows and the MIB step among the program's windows: created and
// relabelled after the DMX list, shown by their hidden steps, the MIB written by its step.
#include "app/UVelmarineFirmWare.h"
#include "building/UDMXDefVal.h"
#include "building/UKNXAccess.h"
#include "building/USNMP_Trap_Access.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
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

class KNXSNMPSteps : public ::testing::Test {
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
        g_ProjectName = QStringLiteral("Stage");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Stage");
        ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
        Set_Files();
    }

    TempAppDir app;
    RecordingDialogs rec;
    TFVelmarineFirmWare* main = nullptr;
};

TEST_F(KNXSNMPSteps, CreatedAndRelabelledAfterTheDMXList) {
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    ASSERT_GE(at(FDMXDefVal), 0);
    EXPECT_LT(at(FDMXDefVal), at(FKNXAccess));
    EXPECT_LT(at(FKNXAccess), at(FSNMP_Trap_Access));

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = std::find(relabelled.begin(), relabelled.end(), FDMXDefVal);
    ASSERT_LE(pos + 3, relabelled.end());
    EXPECT_EQ(std::vector<plat::TForm*>(pos, pos + 3),
              (std::vector<plat::TForm*>{FDMXDefVal, FKNXAccess, FSNMP_Trap_Access}));

    EXPECT_EQ(FKNXAccess->windowTitle(), QStringLiteral("KNX Set Access"));
    Text_Table[3800] = QStringLiteral("Accesso KNX");
    Text_Table[3909] = QStringLiteral("Scrittura SNMP");
    Text_Table[3927] = QStringLiteral("Descrizione");
    main->Change_Language();
    EXPECT_EQ(FKNXAccess->windowTitle(), QStringLiteral("Accesso KNX"));
    EXPECT_EQ(FSNMP_Trap_Access->PageControl1->tabText(1), QStringLiteral("Scrittura SNMP"));
    EXPECT_EQ(FSNMP_Trap_Access->CG_SNMP_Read->Cells(11, 0), QStringLiteral("Descrizione"));
}

TEST_F(KNXSNMPSteps, TheHiddenStepsShowTheWindowsAndWriteTheMIB) {
    openProject();
    const struct {
        const char* step;
        int caption;
        QWidget* window;
    } steps[] = {{"Btn_KNX_Access", 58, FKNXAccess}, {"Btn_SNMP_Trap", 60, FSNMP_Trap_Access}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        TFadeButton* b = main->Step_Button(s.step);
        ASSERT_NE(b, nullptr);
        EXPECT_FALSE(plat::ownVisible(b));
        EXPECT_EQ(b->Caption(), Text_Table[s.caption]);
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activeModalWidget();
            if (shown) shown->close();
        });
        main->Btn_Click(b);
        EXPECT_EQ(shown, s.window);
    }
    TFadeButton* mib = main->Step_Button("Btn_SNMP_MIB");
    ASSERT_NE(mib, nullptr);
    EXPECT_EQ(mib->Caption(), Text_Table[62]);
    rec.files = {g_ProjectPath + QStringLiteral("/agent")};
    main->Btn_Click(mib);
    EXPECT_TRUE(rec.errors().isEmpty()) << rec.errors().join(u'|').toStdString();
    EXPECT_TRUE(testing_support::readAll(g_ProjectPath + QStringLiteral("/agent.mib")).endsWith("END\r\n"));
}

}  // namespace
