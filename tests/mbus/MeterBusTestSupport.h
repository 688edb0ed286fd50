#pragma once
// The M-Bus network editor and the node identifier dialog of a project, shown offscreen, with
// every message box answered by a script.
#include "controls/FadeButton.h"
#include "mbus/MBusNetwork.h"
#include "mbus/UMeter_Bus.h"
#include "mbus/UNewIDNode.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <memory>

namespace meterbus_test {

// Three nodes: wired by primary address 9 with two variables (and non-zero values in the fields
// the editor has no control for), disabled and wired by secondary address 5 listed "By Position", and
// a wireless meter with its key and one variable.
inline QByteArray sampleFile() {
    QByteArray keys;
    for (int k = 1; k <= 16; ++k) keys += QStringLiteral(" wMBus_Key_%1=\"%2\"").arg(k).arg(k * 10).toUtf8();
    return "<M-Bus_Network>"
           "<Nodo Enable_Node=\"1\" ID_Primary=\"9\" ID_Secondary=\"1\" Descrizione=\"Heat\" Send_SND_NKE=\"1\" "
           "Node_State=\"2\" Node_ID_Type=\"0\" Var_List_Type=\"0\" Cut_After=\"2\" Access_Number=\"7\" AN_Topic=\"3\" "
           "MBus_Type=\"1\" wMBus_RSSI=\"9\" wMBus_RSSI_Topic=\"4\">"
           "<Variabile Enable=\"1\" Desc=\"Energy\" Type=\"0\" Fun_Field=\"0\" Dim=\"2\" Topic=\"1\"/>"
           "<Variabile Enable=\"0\" Desc=\"Volume\" Type=\"2\" Fun_Field=\"1\" Dim=\"7\" Length=\"12\" "
           "StoNumber=\"4294967295\" Position=\"3\" Post_Operation=\"2\"/>"
           "</Nodo>"
           "<Nodo Enable_Node=\"0\" ID_Primary=\"1\" ID_Secondary=\"5\" Descrizione=\"Water\" "
           "Node_ID_Type=\"1\" Var_List_Type=\"1\" MBus_Type=\"1\"/>"
           "<Nodo Descrizione=\"Radio\" ID_Primary=\"1\" ID_Secondary=\"1\" MBus_Type=\"0\" wMBus_ManID=\"0x2C2D\" "
           "wMBus_Add=\"0x12345678\" wMBus_Ver=\"1\" wMBus_DevType=\"7\" wMBus_En_Key=\"1\"" +
           keys +
           ">"
           "<Variabile Enable=\"1\" Desc=\"Flow\" Type=\"8\" Fun_Field=\"0\" Dim=\"2\"/>"
           "</Nodo>"
           "</M-Bus_Network><!--SW_VERSION = 1.019-->";
}

class MeterBusProject : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_SWCode = QStringLiteral("KS73632");
        Set_App_Folders(app.path());
        g_ProjectName = QStringLiteral("P");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/P");
        QDir().mkpath(g_ProjectPath);
        Set_Files();
        dlg = std::make_unique<TFMeter_Bus>();
        FMeter_Bus = dlg.get();
        ids = std::make_unique<TFNewIDNode>();
        FNewIDNode = ids.get();
    }
    void TearDown() override {
        FNewIDNode = nullptr;
        ids.reset();
        FMeter_Bus = nullptr;
        dlg.reset();
    }

    // Every showing starts again from the files.
    void open() {
        dlg->hide();
        dlg->show();
    }
    void openSample() {
        testing_support::writeAll(g_MBusFile, sampleFile());
        open();
    }
    // A button answers only while its page shows, so the user turns to the page first.
    void addNode() {
        dlg->ExPageControl1->SetActivePage(dlg->ExTabSheet1);
        dlg->btn_Add_Node->click();
    }
    void addVar() {
        dlg->ExPageControl1->SetActivePage(dlg->ExTabSheet2);
        dlg->btn_Add_Var->click();
    }
    QTreeWidgetItem* nodeItem(int n) const { return dlg->NODE_ORIG->child(n); }
    QTreeWidgetItem* varItem(int n, int v) const { return dlg->NODE_ORIG->child(n)->child(v); }
    void selectNode(int n) { dlg->TW->setCurrentItem(nodeItem(n)); }
    void selectVar(int n, int v) { dlg->TW->setCurrentItem(varItem(n, v)); }
    void selectNone() { dlg->TW->clearSelection(); }
    QStringList captions() const {
        QStringList out;
        for (int n = 0; n < dlg->NODE_ORIG->childCount(); ++n) {
            out << nodeItem(n)->text(0);
            for (int v = 0; v < nodeItem(n)->childCount(); ++v) out << varItem(n, v)->text(0);
        }
        return out;
    }

    testing_support::TempAppDir app;
    testing_support::RecordingDialogs rec;
    std::unique_ptr<TFMeter_Bus> dlg;
    std::unique_ptr<TFNewIDNode> ids;
};

}  // namespace meterbus_test
