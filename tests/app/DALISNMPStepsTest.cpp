// The SNMP manager and DALI windows among the program's windows: created and relabelled in the
// program's order, and shown by their hidden steps once a project is open.
#include "app/UVelmarineFirmWare.h"
#include "building/UDALI_Access.h"
#include "building/UDMXDefVal.h"
#include "building/USNMPManagerAccess.h"
#include "controls/FadeButton.h"
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

class DALISNMPSteps : public ::testing::Test {
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

TEST_F(DALISNMPSteps, CreatedAndRelabelledInTheProgramsOrder) {
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    ASSERT_GE(at(FSNMPManagerAccess), 0);
    ASSERT_GE(at(FDALI_Access), 0);
    EXPECT_LT(at(FDMXDefVal), at(FSNMPManagerAccess));
    EXPECT_LT(at(FSNMPManagerAccess), at(FDALI_Access));

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = [&](plat::TForm* f) { return std::find(relabelled.begin(), relabelled.end(), f); };
    ASSERT_NE(pos(FDALI_Access), relabelled.end());
    EXPECT_LT(pos(FDMXDefVal), pos(FSNMPManagerAccess));
    EXPECT_LT(pos(FSNMPManagerAccess), pos(FDALI_Access));

    Text_Table[4000] = QStringLiteral("Accesso SNMP Manager");
    Text_Table[4956] = QStringLiteral("Regole");
    Text_Table[4961] = QStringLiteral("Luminosita");
    Text_Table[4510] = QStringLiteral("Dispositivo 0");
    main->Change_Language();
    EXPECT_EQ(FSNMPManagerAccess->windowTitle(), QStringLiteral("Accesso SNMP Manager"));
    EXPECT_EQ(FDALI_Access->PC_DALI->tabText(1), QStringLiteral("Regole"));
    EXPECT_EQ(FDALI_Access->CG->Cells(5, 0), QStringLiteral("Luminosita"));
    EXPECT_EQ(FDALI_Access->CG_DALI_Device->Cells(0, 1), QStringLiteral("Dispositivo 0"));
}

TEST_F(DALISNMPSteps, TheHiddenStepsShowTheirWindowsOnlyWithAProject) {
    const std::pair<const char*, plat::TForm*> steps[] = {{"Btn_SNMP_Manager_Access", FSNMPManagerAccess},
                                                          {"Btn_DALI_Access", FDALI_Access}};
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
        EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error! Project not Valid")});

        g_ProjectName = QStringLiteral("Plant");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Plant");
        ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
        Set_Files();
        rec.clear();
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activeModalWidget();
            if (shown) shown->close();
        });
        main->Btn_Click(step);
        EXPECT_EQ(shown, form);
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    }
}

}  // namespace
