// The "MQTT Set Topic" step and the place of the topic windows among the program's windows.
#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "gateway/UBoot.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "gateway/UParGen.h"
#include "gateway/UProfinetFileName.h"
#include "gateway/UTopicTemplate.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "shell/USoftOptions.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <algorithm>
#include <functional>

using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

class TopicStep : public ::testing::Test {
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

TEST_F(TopicStep, ShowsTheTopicTablesOfTheOpenProject) {
    g_ProjectName.clear();
    g_ProjectPath.clear();
    main->Btn_Click(main->Btn_MQTT_Set_Topic);
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error! Project not Valid")});

    rec.clear();
    g_ProjectName = QStringLiteral("Line 4");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 4");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    writeAll(g_MQTTSetTopicFile, "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"from/file\" Retained=\"\" QoS=\"0\" "
                                 "Mnemonic=\"\"/></MQTT_Publish></MQTT_Set_Topic>");
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget() == FMQTT_Set_Topic;
        EXPECT_EQ(FMQTT_Set_Topic->CG_Pub->Cells(1, 1), QStringLiteral("from/file"));
        FMQTT_Set_Topic->Btn_Cancel->click();
    });
    main->Btn_Click(main->Btn_MQTT_Set_Topic);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
}

TEST_F(TopicStep, CreatedAndRelabelledInTheProgramsOrder) {
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    ASSERT_GE(at(FMQTT_Set_Topic), 0);
    ASSERT_GE(at(FTopicTemplate), 0);
    EXPECT_LT(at(FSoftOptions), at(FMQTT_Set_Topic));
    EXPECT_LT(at(FMQTT_Set_Topic), at(FBoot));
    EXPECT_LT(at(FBoot), at(FTopicTemplate));
    EXPECT_LT(at(FTopicTemplate), at(FProfinetFileName));

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = std::find(relabelled.begin(), relabelled.end(), FMQTT_Set_Topic);
    ASSERT_NE(pos, relabelled.end());
    ASSERT_NE(pos, relabelled.begin());
    EXPECT_EQ(*(pos - 1), FParGen);
    EXPECT_EQ(std::count(relabelled.begin(), relabelled.end(), FTopicTemplate), 0);

    // A language change relabels the topic tables; the editor keeps its start-up texts.
    const QString before = FTopicTemplate->Btn_OK->Caption();
    Text_Table[700] = QStringLiteral("Argomenti MQTT");
    Text_Table[1707] = QStringLiteral("Conferma");
    main->Change_Language();
    EXPECT_EQ(FMQTT_Set_Topic->windowTitle(), QStringLiteral("Argomenti MQTT"));
    EXPECT_EQ(FTopicTemplate->Btn_OK->Caption(), before);
    Load_Default_Language();
}

}  // namespace
