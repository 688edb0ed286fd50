// Esc in the program's dialogs, as a user meets them: it does what the window's Cancel (or its one
// Close button) does, wherever the focus is when the window opens, and writes nothing.
#include "app/UVelmarineFirmWare.h"
#include "building/UBACnetAccess.h"
#include "building/UBACnetSlaveSetAccess.h"
#include "building/UBACnet_Eng_Unit.h"
#include "building/UDALI_Access.h"
#include "building/UDMXDefVal.h"
#include "building/UImportEDEFile.h"
#include "building/UKNXAccess.h"
#include "building/UReceiveNMEA.h"
#include "building/USNMPManagerAccess.h"
#include "building/USNMP_Trap_Access.h"
#include "building/UTransmitNMEA.h"
#include "fieldbus/UDNet.h"
#include "fieldbus/UDefOffset.h"
#include "fieldbus/UMQTT_Set_Access.h"
#include "fieldbus/UModbus_TCP_Master_Set_Access.h"
#include "fieldbus/UReceiveCAN.h"
#include "fieldbus/UReceiveJ1939.h"
#include "fieldbus/USetAccess.h"
#include "fieldbus/USet_PDO_Access.h"
#include "fieldbus/USet_SDO_Client_Access.h"
#include "fieldbus/USet_SDO_Server_Access.h"
#include "fieldbus/UTransmitCAN.h"
#include "fieldbus/UTransmitJ1939.h"
#include "gateway/UBoot.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "gateway/UParGen.h"
#include "gateway/UProfinetFileName.h"
#include "gateway/UTopicTemplate.h"
#include "mbus/UMeter_Bus.h"
#include "mbus/UModbusStartAdd_SD.h"
#include "grid/ExCGrid.h"
#include "platform/InplaceEdit.h"
#include "shell/AccessListForm.h"
#include "shell/UAbout.h"
#include "shell/UComon.h"
#include "shell/UNew_Project.h"
#include "shell/UOpenConf.h"
#include "shell/USoftOptions.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QTest>
#include <QTimer>
#include <map>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

// Every file below the program's folder and its bytes.
std::map<QString, QByteArray> snapshot(const QString& root) {
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        files[f] = readAll(f);
    }
    return files;
}

class EscapeKey : public ::testing::Test {
protected:
    void SetUp() override {
        Create_Forms();
        // A project with a parameter file and topics of its own, so that a save would show.
        g_ProjectName = QStringLiteral("P");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/P");
        QDir().mkpath(g_ProjectPath + QStringLiteral("/bin"));
        Set_Files();
        writeAll(g_MQTTSetTopicFile,
                 "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"plant/t1\" Retained=\"Y\" QoS=\"1\" DataType=\"Int\" "
                 "Dimension=\"2\" Position=\"0\" IPAddress=\"\" FormatHex=\"N\" InputTemplate=\"\" "
                 "Template=\"$VALUE$\" OnChange=\"Y\" OnCMD=\"N\" OnTimer=\"N\" Time=\"\" Mnemonic=\"t1\"/>"
                 "</MQTT_Publish><MQTT_Subscribe/>"
                 "</MQTT_Set_Topic>\r\n<!--SW_VERSION = 1.003-->\r\n");
        writeAll(g_ParGenFile, "<ParGen><DHCP>0</DHCP></ParGen>\r\n<!--SW_VERSION = 1.001-->\r\n");
    }
    void TearDown() override { Destroy_Forms(); }
    TempAppDir app;
    RecordingDialogs rec;
};

TEST_F(EscapeKey, EscInEveryDialogDoesWhatItsCancelOrCloseDoesAndWritesNothing) {
    const struct {
        const char* name;
        plat::TForm* window;
        int result;
    } windows[] = {
        {"New", FNew_Project, plat::mrCancel},
        {"Open", FOpenConf, plat::mrCancel},
        {"Options", FSoftOptions, plat::mrCancel},
        {"About", FAbout, plat::mrOk},  // its one button closes it with OK
        {"Set Communication", FParGen, plat::mrCancel},
        {"MQTT Set Topic", FMQTT_Set_Topic, plat::mrCancel},
        {"topic template", FTopicTemplate, plat::mrCancel},
        {"Update", FBoot, plat::mrCancel},
        {"PROFINET XML file name", FProfinetFileName, plat::mrCancel},
        {"Modbus", FSetAccess, plat::mrCancel},
        {"MQTT access", FMQTT_Set_Access, plat::mrCancel},
        {"Modbus TCP master", FModbus_TCP_Master_Set_Access, plat::mrCancel},
        {"CAN receive", FReceiveCAN, plat::mrCancel},
        {"CAN transmit", FTransmitCAN, plat::mrCancel},
        {"CANopen PDO", FSet_PDO_Access, plat::mrCancel},
        {"SDO client", FSet_SDO_Client_Access, plat::mrCancel},
        {"SDO server", FSet_SDO_Server_Access, plat::mrCancel},
        {"J1939 receive", FReceiveJ1939, plat::mrCancel},
        {"J1939 transmit", FTransmitJ1939, plat::mrCancel},
        {"DeviceNet", FDNet, plat::mrCancel},
        {"DeviceNet offsets", FDefOffset, plat::mrCancel},
        {"NMEA receive", FReceiveNMEA, plat::mrCancel},
        {"NMEA transmit", FTransmitNMEA, plat::mrCancel},
        {"DMX", FDMXDefVal, plat::mrCancel},
        {"KNX", FKNXAccess, plat::mrCancel},
        {"SNMP agent", FSNMP_Trap_Access, plat::mrCancel},
        {"SNMP manager", FSNMPManagerAccess, plat::mrCancel},
        {"BACnet objects", FBACnetSlaveSetAccess, plat::mrCancel},
        {"engineering units", FBACnet_Eng_Unit, plat::mrCancel},
        {"DALI", FDALI_Access, plat::mrCancel},
        {"BACnet client", FBACnetAccess, plat::mrCancel},
        {"EDE import", FImportEDEFile, plat::mrCancel},
        {"M-Bus network", FMeter_Bus, plat::mrCancel},
        {"Modbus start address", FModbusStartAdd_SD, plat::mrCancel},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.name);
        ASSERT_NE(w.window, nullptr);
        rec.clear();
        const std::map<QString, QByteArray> before = snapshot(app.path());
        bool closedByEsc = false;
        QStringList shownBefore;
        QTimer::singleShot(0, w.window, [&] {
            QApplication::setActiveWindow(w.window);
            // What the window says as it opens is its own affair; Esc adds nothing.
            shownBefore = rec.texts();
            rec.clear();
            QWidget* target = QApplication::focusWidget();
            if (!target || target->window() != w.window) target = w.window;
            QTest::keyClick(target, Qt::Key_Escape);
            QCoreApplication::processEvents();
            closedByEsc = !w.window->isVisible();
            if (!closedByEsc) w.window->SetModalResult(plat::mrNo);  // not what any Esc gives
        });
        const int result = w.window->ShowModal();
        EXPECT_TRUE(closedByEsc);
        EXPECT_EQ(result, w.result);
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
        // The project's files read cleanly (a window that needs another's setting may say so as it opens).
        EXPECT_TRUE(shownBefore.filter(QStringLiteral("Error in")).isEmpty()) << shownBefore.join(u'|').toStdString();
        EXPECT_TRUE(snapshot(app.path()) == before) << "a file was written or changed";
    }
}

// In a list window, Esc while a cell is being edited cancels the edit and keeps the window; the next
// Esc is the window's Cancel, and its file stays as it was.
TEST_F(EscapeKey, InAListWindowAnOpenCellEditTakesEscFirst) {
    TAccessListForm& w = *FSNMP_Trap_Access;
    bool editCancelled = false, stayed = false, closed = false;
    QString before;
    QTimer::singleShot(0, &w, [&] {
        QApplication::setActiveWindow(&w);
        TExColumnGrid& g = w.ActiveGrid();
        g.setFocus();
        g.SetRow(1);
        g.SetCol(g.DisplColIndex(11));  // the description
        before = g.Cells(11, 1);
        for (const char c : std::string("temp")) QTest::keyClick(QApplication::focusWidget(), c);
        const bool editing = g.InplaceEditor() && g.InplaceEditor()->isVisible();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        editCancelled = editing && !g.InplaceEditor()->isVisible() && g.Cells(11, 1) == before;
        stayed = w.isVisible();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        closed = !w.isVisible();
        if (!closed) w.SetModalResult(plat::mrNo);
    });
    const std::map<QString, QByteArray> files = snapshot(app.path());
    EXPECT_EQ(w.ShowModal(), plat::mrCancel);
    EXPECT_TRUE(editCancelled);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(snapshot(app.path()) == files);
}

}  // namespace
