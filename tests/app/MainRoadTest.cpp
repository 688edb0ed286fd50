// The main road end to end: a new project, its parameters, the "Update Device UDP" step with a fake
// device and a stand-in updater, then the "PROFINET XML" step.
#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "gateway/UBoot.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "gateway/UParGen.h"
#include "grid/ExCGrid.h"
#include "gateway/UProfinetFileName.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "shell/UNew_Project.h"
#include "shell/UOpenConf.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QCheckBox>
#include <QTimer>
#include <functional>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

class AnsweringDevice final : public plat::Pinger {
public:
    int echoes = 0;
    plat::EchoReply echo(const QString& address, int, int) override {
        ++echoes;
        address_ = address;
        return {true, 1016};
    }
    QString address_;
};

class DrivenClock final : public plat::Clock {
public:
    int64_t now = 0;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override { now += ms; }
};

void whenModal(std::function<void(QWidget*)> whileOpen) {
    QTimer::singleShot(0, [whileOpen] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr) << "no modal window opened";
        whileOpen(w);
    });
}

class MainRoad : public ::testing::Test {
protected:
    void TearDown() override {
        Destroy_Forms();
    }
    TempAppDir app;
    RecordingDialogs rec;
};

TEST_F(MainRoad, FromANewProjectToAnUpdatedDeviceAndItsDescription) {
    // The stand-in updater records each run and keeps the parameter file it found beside it.
    const QString updater = app.file(QStringLiteral("Flash_Loader.exe"));
    writeAll(updater, "#!/bin/sh\necho run >> runs.log\ncp Flash_Loader.xml seen.xml\n");
    QFile::setPermissions(updater, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    Create_Forms();
    TFVelmarineFirmWare* main = FVelmarineFirmWare;
    AnsweringDevice device;
    DrivenClock clock;
    FBoot->Ping = &device;
    FBoot->Clock = &clock;

    whenModal([](QWidget* w) {
        auto* dlg = static_cast<TFNew_Project*>(w);
        dlg->E_New_Proj->setText(QStringLiteral("Line 4"));
        dlg->Btn_OK->click();
    });
    main->Btn_Click(main->Btn_New);
    ASSERT_EQ(g_ProjectPath, g_ProjectsRootPath + QStringLiteral("/Line 4"));

    // The project's parameters through the Set Communication dialog: station name, PROFINET sizes
    // and the NTP poll time, which a new project leaves empty.
    whenModal([](QWidget* w) {
        auto* dlg = static_cast<TFParGen*>(w);
        dlg->Edit(QStringLiteral("E_PROFINET_NameStation"))->setText(QStringLiteral("line-4"));
        dlg->Edit(QStringLiteral("E_PROFINET_NByte_In"))->setText(QStringLiteral("32"));
        dlg->Edit(QStringLiteral("E_PROFINET_NByte_Out"))->setText(QStringLiteral("16"));
        dlg->Edit(QStringLiteral("E_NTP_Poll_Time"))->setText(QStringLiteral("3600"));
        dlg->Btn_OK->click();
        if (dlg->isVisible()) dlg->Btn_Cancel->click();  // refused: the assertions below say why
    });
    main->Btn_Click(main->Btn_Prm_Gen);
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    ASSERT_TRUE(plat::fileExists(g_ParGenFile));

    // One publication and one subscription through the topic tables.
    whenModal([](QWidget* w) {
        auto* dlg = static_cast<TFMQTT_Set_Topic*>(w);
        const std::pair<int, const char*> pub[] = {{1, "line4/temp"}, {3, "1"}, {4, "Int"}, {5, "2"}, {6, "0"},
                                                   {10, "T=$VALUE$"}};
        const std::pair<int, const char*> sub[] = {{1, "line4/cmd"}, {3, "0"}, {4, "Float"}, {5, "4"}, {6, "2"},
                                                   {12, "$VALUE$"}};
        for (const auto& [col, text] : pub) dlg->CG_Pub->SetCells(col, 1, QString::fromLatin1(text));
        for (const auto& [col, text] : sub) dlg->CG_Sub->SetCells(col, 1, QString::fromLatin1(text));
        dlg->Btn_OK->click();
        if (dlg->isVisible()) dlg->Btn_Cancel->click();  // refused: the assertions below say why
    });
    main->Btn_Click(main->Btn_MQTT_Set_Topic);
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    ASSERT_TRUE(readAll(g_MQTTSetTopicFile).contains("Topic=\"line4/temp\""));

    whenModal([](QWidget* w) {
        auto* boot = static_cast<TFBoot*>(w);
        const char* octets[] = {"192", "168", "10", "20"};
        for (int i = 0; i < 4; ++i) boot->E_IP[i]->setText(QString::fromLatin1(octets[i]));
        boot->Btn_Update->click();
        boot->Btn_Cancel->click();
    });
    main->Btn_Click(main->Btn_CreateBin);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(readAll(g_ProjectPath + QStringLiteral("/bin/bank1.bin")).size(), 2048);
    // The topics reach the second image.
    const QByteArray bank2 = readAll(g_ProjectPath + QStringLiteral("/bin/bank2.bin"));
    EXPECT_TRUE(bank2.contains("line4/temp"));
    EXPECT_TRUE(bank2.contains("line4/cmd"));
    EXPECT_TRUE(bank2.contains("T=$VALUE$"));
    EXPECT_EQ(device.echoes, 2);
    EXPECT_EQ(readAll(app.file(QStringLiteral("runs.log"))), QByteArray("run\n"));
    const QByteArray seen = readAll(app.file(QStringLiteral("seen.xml")));
    EXPECT_TRUE(seen.contains("<IP_Address_Dev>192.168.10.20</IP_Address_Dev>"));
    EXPECT_TRUE(seen.contains(QStringLiteral("<Ope_FileName>%1/bin/bank2.bin</Ope_FileName>").arg(g_ProjectPath).toUtf8()));
    EXPECT_EQ(g_LastIPAddress, QStringLiteral("192.168.10.20"));

    // The device description, saved into the project folder.
    rec.files.push_back(g_ProjectPath + QStringLiteral("/whatever.xml"));
    whenModal([](QWidget* w) { static_cast<TFProfinetFileName*>(w)->Btn_OK->click(); });
    main->Btn_Click(main->Btn_PROFINET_XML);
    const QString gsdml = g_ProjectPath + u'/' + FProfinetFileName->Name_File_XML;
    ASSERT_TRUE(plat::fileExists(gsdml)) << gsdml.toStdString();
    const QByteArray description = readAll(gsdml);
    EXPECT_TRUE(description.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(description.contains("DNS_CompatibleName=\"line-4\""));
    // The device's output area is the controller's input and the other way round.
    EXPECT_TRUE(description.contains("Length=\"16\" TextId=\"IDT_Input_1\""));
    EXPECT_TRUE(description.contains("Length=\"32\" TextId=\"IDT_Output_1\""));

    main->close();
    EXPECT_TRUE(readAll(app.file(QStringLiteral("Velmarin.xml"))).contains("<ipaddress>192.168.10.20</ipaddress>"));
}

}  // namespace
