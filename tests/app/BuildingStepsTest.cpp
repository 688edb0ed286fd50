// The NMEA 2000 and DMX windows among the program's windows: created and relabelled in the
// program's order, the NMEA 2000 lists reached by no step, the DMX list by its hidden step.
#include "app/UVelmarineFirmWare.h"
#include "building/UDMXDefVal.h"
#include "building/UReceiveNMEA.h"
#include "building/UTransmitNMEA.h"
#include "controls/FadeButton.h"
#include "gateway/UProfinetFileName.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <algorithm>

using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

class BuildingSteps : public ::testing::Test {
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

TEST_F(BuildingSteps, CreatedAndRelabelledAfterTheGSDMLFileNameDialog) {
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    ASSERT_GE(at(FReceiveNMEA), 0);
    EXPECT_LT(at(FProfinetFileName), at(FReceiveNMEA));
    EXPECT_LT(at(FReceiveNMEA), at(FTransmitNMEA));
    EXPECT_LT(at(FTransmitNMEA), at(FDMXDefVal));

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = std::find(relabelled.begin(), relabelled.end(), FProfinetFileName);
    ASSERT_LE(pos + 4, relabelled.end());
    const std::vector<plat::TForm*> expected = {FProfinetFileName, FReceiveNMEA, FTransmitNMEA, FDMXDefVal};
    EXPECT_EQ(std::vector<plat::TForm*>(pos, pos + 4), expected);

    // Labelled at creation.
    EXPECT_EQ(FReceiveNMEA->windowTitle(), QStringLiteral("Receive NMEA 2000 Frames"));
    EXPECT_EQ(FDMXDefVal->L_SW_Code()->text(), QStringLiteral("KS73632"));

    Text_Table[3500] = QStringLiteral("Ricezione NMEA 2000");
    Text_Table[3523] = QStringLiteral("Inserire il PGN");
    Text_Table[3605] = QStringLiteral("Inserisci Riga");
    Text_Table[3707] = QStringLiteral("Valore");
    Text_Table[3703] = QStringLiteral("Annulla");
    main->Change_Language();
    EXPECT_EQ(FReceiveNMEA->windowTitle(), QStringLiteral("Ricezione NMEA 2000"));
    EXPECT_EQ(FReceiveNMEA->sga->CellHint(0, 1), QStringLiteral("Inserire il PGN"));
    EXPECT_EQ(FTransmitNMEA->Btn_InsRow->Caption(), QStringLiteral("Inserisci Riga"));
    EXPECT_EQ(FDMXDefVal->CG_DMX_Def_Val->Cells(1, 0), QStringLiteral("Valore"));
    EXPECT_EQ(FDMXDefVal->Btn_Cancel->Caption(), QStringLiteral("Annulla"));
}

TEST_F(BuildingSteps, TheHiddenDMXStepNeedsAProjectThenShowsItsWindow) {
    TFadeButton* step = main->Step_Button("Btn_DMX_Default");
    ASSERT_NE(step, nullptr);
    EXPECT_FALSE(plat::ownVisible(step));
    EXPECT_EQ(step->Caption(), Text_Table[56]);

    g_ProjectName.clear();
    g_ProjectPath.clear();
    Set_Files();
    bool opened = false;
    QTimer::singleShot(0, [&] {
        opened = QApplication::activeModalWidget() != nullptr;
        if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
    });
    main->Btn_Click(step);
    QApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error! Project not Valid")});

    g_ProjectName = QStringLiteral("Stage");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Stage");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    writeAll(g_ParGenFile, "<ParGen><DMX_Num_Channels>16</DMX_Num_Channels></ParGen>");
    rec.clear();
    bool shown = false;
    int rows = 0;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget() == FDMXDefVal;
        rows = FDMXDefVal->CG_DMX_Def_Val->RowCount();
        FDMXDefVal->Btn_Cancel->click();
    });
    main->Btn_Click(step);
    EXPECT_TRUE(shown);
    EXPECT_EQ(rows, 17);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
}

// The NMEA 2000 lists belong to another gateway model: no step of this one shows them.
TEST_F(BuildingSteps, NoStepLeadsToTheNMEALists) {
    g_ProjectName = QStringLiteral("Stage");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Stage");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    std::vector<QWidget*> opened;
    for (const TFVelmarineFirmWare::Step& s : main->Steps()) {
        if (s.visible || !s.needsProject) continue;  // the visible steps are tested on their own
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened.push_back(w);
                w->close();
            }
        });
        main->Btn_Click(s.button);
        QApplication::processEvents();
    }
    EXPECT_EQ(std::count(opened.begin(), opened.end(), FReceiveNMEA), 0);
    EXPECT_EQ(std::count(opened.begin(), opened.end(), FTransmitNMEA), 0);
    EXPECT_EQ(std::count(opened.begin(), opened.end(), FDMXDefVal), 1);
}

}  // namespace
