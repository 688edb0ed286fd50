// The J1939 and DeviceNet windows among the program's windows: created and relabelled in the
// program's order, the two DeviceNet steps show theirs, the J1939 lists are reached by no step.
#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "fieldbus/UDNet.h"
#include "fieldbus/UDefOffset.h"
#include "fieldbus/UReceiveJ1939.h"
#include "fieldbus/USet_SDO_Server_Access.h"
#include "fieldbus/UTransmitJ1939.h"
#include "gateway/UProfinetFileName.h"
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
using testing_support::writeAll;

namespace {

class FieldbusListsSteps : public ::testing::Test {
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

TEST_F(FieldbusListsSteps, CreatedAndRelabelledInTheProgramsOrder) {
    plat::TForm* const order[] = {FSet_SDO_Server_Access, FReceiveJ1939, FTransmitJ1939, FDNet, FDefOffset,
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

    Text_Table[2600] = QStringLiteral("Ricezione J1939");
    Text_Table[2724] = QStringLiteral("Mnemonico");
    Text_Table[2815] = QStringLiteral("ID Nodo");
    Text_Table[2907] = QStringLiteral("Byte in uscita");
    main->Change_Language();
    EXPECT_EQ(FReceiveJ1939->windowTitle(), QStringLiteral("Ricezione J1939"));
    EXPECT_EQ(FTransmitJ1939->sga->Cells(10, 0), QStringLiteral("Mnemonico"));
    EXPECT_EQ(FDNet->SG->Cells(1, 0), QStringLiteral("ID Nodo"));
    EXPECT_EQ(FDefOffset->PageControl1->tabText(1), QStringLiteral("Byte in uscita"));
}

TEST_F(FieldbusListsSteps, TheDeviceNetStepsShowTheirWindows) {
    g_ProjectName = QStringLiteral("Line 4");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 4");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    writeAll(g_DNETMNetFile, "<DNET_Net><row ID=\"5\" NB_IN=\"2\" NB_OUT=\"1\" Mnemonic=\"valve\"/></DNET_Net>");
    const std::pair<const char*, plat::TForm*> steps[] = {{"Btn_DNet_Net", FDNet}, {"Btn_DNet_Offset", FDefOffset}};
    for (const auto& [name, form] : steps) {
        SCOPED_TRACE(name);
        TFadeButton* step = main->Step_Button(name);
        ASSERT_NE(step, nullptr);
        EXPECT_FALSE(plat::ownVisible(step));
        rec.clear();
        bool shown = false;
        QString seen;
        QTimer::singleShot(0, [&, form = form] {
            shown = QApplication::activeModalWidget() == form;
            if (form == FDNet) {
                seen = FDNet->SG->Cells(4, 1);
                FDNet->Btn_Cancel->click();
            } else {
                seen = FDefOffset->CG_ByteIN->Cells(1, 2);
                FDefOffset->Btn_Cancel->click();
            }
        });
        main->Btn_Click(step);
        EXPECT_TRUE(shown);
        EXPECT_EQ(seen, form == FDNet ? QStringLiteral("valve") : QStringLiteral("None"));
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    }
}

}  // namespace
