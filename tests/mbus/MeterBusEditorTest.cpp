// The network editor's showing, selection and layouts, OK and Cancel, the network file read only
// in part, import, copy and paste, delete, and the values a scan writes that the lists lack.
#include "platform/Files.h"
#include "controls/FadeButton.h"
#include "tests/mbus/MeterBusTestSupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace {

using meterbus_test::MeterBusProject;
using meterbus_test::sampleFile;
using testing_support::readAll;
using testing_support::writeAll;

QString s(const char* t) { return QString::fromUtf8(t); }

using MeterBusShow = MeterBusProject;

TEST_F(MeterBusShow, ReadsTheFileIntoTheTree) {
    EXPECT_EQ(dlg->ClientWidth(), 834);
    EXPECT_EQ(dlg->ClientHeight(), 662);
    EXPECT_EQ(dlg->windowTitle(), Text_Table[800]);
    EXPECT_EQ(dlg->L_SW_Code()->text(), s("KS73632"));
    EXPECT_EQ(dlg->ExPageControl1->ActivePage(), dlg->ExTabSheet1);
    EXPECT_EQ(dlg->ExPageControl1->TabPosition(), plat::tpLeft);
    EXPECT_FALSE(dlg->Copy_Var || dlg->Copy_Node);

    openSample();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(dlg->TW->topLevelItemCount(), 1);
    EXPECT_EQ(dlg->NODE_ORIG->text(0), s("M-Bus Network"));
    EXPECT_TRUE(dlg->NODE_ORIG->isExpanded());
    EXPECT_EQ(captions(), (QStringList{s("ID 9 - Heat"), s("VAR - Energy"), s("VAR - Volume"), s("ID 5 - Water"),
                                       s("wM-Bus Node - Address 0x12345678 - Radio"), s("VAR - Flow")}));
    EXPECT_EQ(dlg->Nodi_List, mbus::Network_From_Bytes(sampleFile()).Nodes);
    EXPECT_TRUE(dlg->TW->selectedItems().isEmpty());
    EXPECT_EQ(dlg->IND_NODO, -1);
    EXPECT_EQ(dlg->IND_VAR, -1);
    EXPECT_EQ(dlg->NODE_ID, nullptr);
    EXPECT_EQ(dlg->CB_Cut_After->count(), 250);
    EXPECT_EQ(dlg->CB_Cut_After->itemText(249), s("250"));
    EXPECT_FALSE(dlg->PasteVariable1->isEnabled());
    EXPECT_FALSE(dlg->PasteNode1->isEnabled());
    EXPECT_FALSE(dlg->Is_Change);
    EXPECT_FALSE(dlg->FadeButton1->isVisible());
    EXPECT_FALSE(dlg->FadeButton3->isVisible());
    EXPECT_FALSE(dlg->L_MBus_NumByte->isVisible());

    // Without a file the tree holds the root only.
    QFile::remove(g_MBusFile);
    open();
    EXPECT_TRUE(dlg->Nodi_List.empty());
    EXPECT_EQ(dlg->NODE_ORIG->childCount(), 0);
}

TEST_F(MeterBusShow, OffersThePublishTopicsAsRows) {
    writeAll(g_MQTTSetTopicFile,
             "<MQTT_Set_Topic><MQTT_Subscribe><row Topic=\"in\" Mnemonic=\"x\"/></MQTT_Subscribe>"
             "<MQTT_Publish><row Topic=\"plant/heat\" Mnemonic=\"H1\"/><row Topic=\"plant/water\"/></MQTT_Publish>"
             "</MQTT_Set_Topic>");
    openSample();
    EXPECT_EQ(dlg->MQTT_Topics, (QStringList{s("1; plant/heat; H1;"), s("2; plant/water; ;")}));
    ASSERT_EQ(dlg->CB_Topic->count(), 2);
    selectVar(0, 0);  // its topic is 1
    EXPECT_EQ(dlg->CB_Topic->currentText(), s("2; plant/water; ;"));
    selectNode(0);
    EXPECT_EQ(dlg->CB_Topic->currentIndex(), 0);
}

TEST_F(MeterBusShow, SelectionShowsTheNodeAndTheVariable) {
    openSample();

    selectVar(2, 0);
    EXPECT_EQ(dlg->IND_NODO, 2);
    EXPECT_EQ(dlg->IND_VAR, 0);
    EXPECT_EQ(dlg->NODE_ID, nodeItem(2));
    EXPECT_EQ(dlg->SELECT_NODE, varItem(2, 0));
    EXPECT_EQ(dlg->ExPageControl1->ActivePage(), dlg->ExTabSheet2);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(dlg->E_wMBus_K[size_t(k)]->text(), QString::number((k + 1) * 10)) << k;
    EXPECT_EQ(dlg->E_wMBus_ManID->text(), s("0x2C2D"));
    EXPECT_EQ(dlg->E_wMBus_Add->text(), s("0x12345678"));
    EXPECT_TRUE(dlg->CB_wMBus_EnKey->isChecked());
    EXPECT_EQ(dlg->CB_Var_ToD->currentIndex(), 8);
    EXPECT_EQ(dlg->btn_Add_Node->Caption(), Text_Table[821]);
    EXPECT_EQ(dlg->btn_Add_Var->Caption(), Text_Table[838]);
    // A wireless node: the panel in place of the wired fields.
    EXPECT_TRUE(plat::ownVisible(dlg->P_wMBus_Node));
    EXPECT_FALSE(plat::ownVisible(dlg->RB_ID_Primary));
    EXPECT_FALSE(plat::ownVisible(dlg->CB_Cut_After));
    EXPECT_GT(dlg->btn_Add_Node->y(), dlg->P_wMBus_Node->geometry().bottom());

    selectVar(0, 1);
    EXPECT_FALSE(dlg->CB_Var_En->isChecked());
    EXPECT_EQ(dlg->E_New_Var_Desc->text(), s("Volume"));
    EXPECT_EQ(dlg->E_Sto_Num->text(), s("4294967295"));
    EXPECT_EQ(dlg->E_Length->text(), s("12"));
    EXPECT_EQ(dlg->E_Position->text(), s("3"));
    EXPECT_EQ(dlg->CB_Var_FF->currentIndex(), 1);
    EXPECT_EQ(dlg->CB_PostOpe->currentIndex(), 2);
    EXPECT_TRUE(dlg->E_Length->isEnabled());    // dimension 7
    EXPECT_FALSE(dlg->E_VIF_ASCII->isEnabled());  // type 2
    // "By Type": no position.
    EXPECT_FALSE(plat::ownVisible(dlg->E_Position));
    EXPECT_TRUE(plat::ownVisible(dlg->CB_Var_ToD));
    EXPECT_TRUE(plat::ownVisible(dlg->E_Sto_Num));
    EXPECT_TRUE(plat::ownVisible(dlg->RB_ID_Primary));
    EXPECT_FALSE(plat::ownVisible(dlg->P_wMBus_Node));
    dlg->CB_Var_ToD->setCurrentIndex(21);
    EXPECT_TRUE(dlg->E_VIF_ASCII->isEnabled());
    dlg->CB_Var_Dim->setCurrentIndex(6);
    EXPECT_FALSE(dlg->E_Length->isEnabled());

    selectNode(1);
    EXPECT_EQ(dlg->ExPageControl1->ActivePage(), dlg->ExTabSheet1);
    EXPECT_EQ(dlg->btn_Add_Node->Caption(), Text_Table[820]);
    EXPECT_EQ(dlg->btn_Add_Var->Caption(), Text_Table[839]);
    EXPECT_FALSE(dlg->CB_Enable_Node->isChecked());
    EXPECT_TRUE(dlg->RB_ID_Secondary->isChecked());
    EXPECT_EQ(dlg->E_New_Node_ID_Sec->text(), s("5"));
    EXPECT_EQ(dlg->CB_Var_Type->currentIndex(), 1);
    // The variable fields wait for a new variable, laid out "By Position".
    EXPECT_TRUE(dlg->CB_Var_En->isChecked());
    EXPECT_TRUE(dlg->E_New_Var_Desc->text().isEmpty());
    EXPECT_EQ(dlg->E_Position->text(), s("1"));
    EXPECT_EQ(dlg->E_Sto_Num->text(), s("0"));
    EXPECT_EQ(dlg->CB_Var_ToD->currentIndex(), 0);
    EXPECT_TRUE(plat::ownVisible(dlg->E_Position));
    EXPECT_FALSE(plat::ownVisible(dlg->CB_Var_ToD));
    EXPECT_FALSE(plat::ownVisible(dlg->CB_Var_Unit));
    EXPECT_FALSE(plat::ownVisible(dlg->CB_VIFE));
    EXPECT_TRUE(plat::ownVisible(dlg->CB_Var_Dim));
    EXPECT_TRUE(plat::ownVisible(dlg->CB_PostOpe));
    EXPECT_LT(dlg->CB_Var_Dim->y(), dlg->E_Position->y());
    EXPECT_LT(dlg->E_Position->y(), dlg->btn_Add_Var->y());

    // The root, or nothing: no selection, the page stays.
    dlg->TW->setCurrentItem(dlg->NODE_ORIG);
    EXPECT_EQ(dlg->IND_NODO, -1);
    EXPECT_EQ(dlg->btn_Add_Node->Caption(), Text_Table[821]);
    EXPECT_EQ(dlg->ExPageControl1->ActivePage(), dlg->ExTabSheet1);
    EXPECT_TRUE(dlg->E_wMBus_K[0]->text().isEmpty());
    EXPECT_TRUE(dlg->CB_Enable_Node->isChecked());
    EXPECT_EQ(dlg->E_New_Node_ID_Sec->text(), s("5")) << "the address boxes keep their contents";
}

TEST_F(MeterBusShow, WideListsOpenLeftwards) {
    openSample();
    ASSERT_GT(dlg->CB_VIFE->DroppedWidth(), dlg->CB_VIFE->width());
    const QFontMetrics fm(dlg->CB_VIFE->view()->font());
    int widest = 0;
    for (int i = 0; i < dlg->CB_VIFE->count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(dlg->CB_VIFE->itemText(i)));
    EXPECT_GE(dlg->CB_VIFE->DroppedWidth(), widest + 12 + 65);
    EXPECT_EQ(dlg->CB_Cut_After->DroppedWidth(), 0);

    selectVar(0, 0);
    dlg->CB_VIFE->showPopup();
    QWidget* popup = dlg->CB_VIFE->view()->window();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->geometry().x() + popup->width(), dlg->CB_VIFE->mapToGlobal(QPoint(dlg->CB_VIFE->width(), 0)).x());
    EXPECT_GE(popup->width(), dlg->CB_VIFE->DroppedWidth());
    dlg->CB_VIFE->hidePopup();
}

using MeterBusSave = MeterBusProject;

TEST_F(MeterBusSave, OkWritesWhatTheNetworkWriterWrites) {
    openSample();
    selectNode(1);
    dlg->E_New_Var_Desc->setText(s("Count"));
    dlg->btn_Add_Var->click();
    const QByteArray expected = mbus::Network_To_Bytes(dlg->Nodi_List);
    dlg->Btn_OK->click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(readAll(g_MBusFile), expected);
    EXPECT_EQ(dlg->ModalResult(), plat::mrOk);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(dlg->Nodi_List.empty());

    // Untouched, the file is read back into the same values.
    open();
    dlg->Btn_OK->click();
    EXPECT_EQ(readAll(g_MBusFile), expected);
}

TEST_F(MeterBusSave, AFailedSaveKeepsTheWindowAndTheList) {
    openSample();
    g_MBusFile = g_ProjectPath + QStringLiteral("/missing folder/M_Bus.xml");
    dlg->Btn_OK->click();
    EXPECT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->Nodi_List.size(), 3u);
    EXPECT_EQ(dlg->NODE_ORIG->childCount(), 3);
}

TEST_F(MeterBusSave, CancelAsksOnlyAfterChanges) {
    openSample();
    dlg->Btn_Cancel->click();
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(dlg->ModalResult(), plat::mrCancel);

    open();
    dlg->E_New_Node_Desc->setText(s("New"));
    dlg->E_New_Node_ID_Pri->setText(s("44"));
    dlg->btn_Add_Node->click();
    rec.answers = {plat::Answer::No};
    dlg->Btn_Cancel->click();
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[895]});
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->Nodi_List.size(), 4u);
    EXPECT_EQ(nodeItem(3)->text(0), s("ID 44 - New"));

    rec.answers = {plat::Answer::Yes};
    dlg->Btn_Cancel->click();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->ModalResult(), plat::mrCancel);
    EXPECT_EQ(readAll(g_MBusFile), sampleFile());

    // The title bar's close discards without asking.
    rec.clear();
    open();
    selectNode(0);
    dlg->btn_Add_Node->click();
    ASSERT_TRUE(dlg->Is_Change);
    dlg->close();
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(readAll(g_MBusFile), sampleFile());
}

TEST_F(MeterBusSave, ANetworkReadInPartIsReplacedOnlyWhenConfirmed) {
    // The third node lacks its description: the reading stops there.
    const QByteArray partial = "<M-Bus_Network><Nodo Descrizione=\"A\" ID_Primary=\"3\"/>"
                               "<Nodo Descrizione=\"B\" ID_Primary=\"4\"><Variabile Desc=\"v\" Type=\"0\" "
                               "Fun_Field=\"0\" Dim=\"0\"/></Nodo><Nodo ID_Primary=\"5\"/></M-Bus_Network>";
    const QByteArray notXml = "<M-Bus_Network><Nodo Descrizione=\"A\"></M-Bus_Network>";
    for (const QByteArray& file : {partial, notXml}) {
        SCOPED_TRACE(file.constData());
        writeAll(g_MBusFile, file);
        rec.clear();
        open();
        ASSERT_EQ(rec.errors().size(), 1);
        EXPECT_TRUE(rec.errors()[0].contains(g_MBusFile));
        EXPECT_EQ(dlg->Nodi_List.size(), file == partial ? 2u : 0u);

        rec.clear();
        rec.answers = {plat::Answer::No};
        dlg->Btn_OK->click();
        ASSERT_EQ(rec.shown.size(), 1u);
        EXPECT_EQ(rec.shown[0].kind, testing_support::Shown::YesNo);
        EXPECT_EQ(readAll(g_MBusFile), file);
        EXPECT_TRUE(dlg->isVisible());

        rec.answers = {plat::Answer::Yes};
        const QByteArray shown = mbus::Network_To_Bytes(dlg->Nodi_List);
        dlg->Btn_OK->click();
        EXPECT_EQ(readAll(g_MBusFile), shown);
        EXPECT_FALSE(dlg->isVisible());
    }
    // A file read whole is saved without a question.
    rec.clear();
    open();
    dlg->Btn_OK->click();
    EXPECT_TRUE(rec.shown.empty());
}

using MeterBusImport = MeterBusProject;

TEST_F(MeterBusImport, OnlyAWholeNetworkReplacesTheFile) {
    openSample();
    const QString other = app.file(QStringLiteral("other.xml"));
    struct Refused {
        const char* name;
        QByteArray bytes;
    };
    const Refused refused[] = {
        {"not XML", "plain text"},
        {"a node without description", "<M-Bus_Network><Nodo ID_Primary=\"3\"/></M-Bus_Network>"},
        {"a variable without type", "<M-Bus_Network><Nodo Descrizione=\"A\"><Variabile Desc=\"v\" Fun_Field=\"0\" "
                                    "Dim=\"0\"/></Nodo></M-Bus_Network>"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.name);
        writeAll(other, r.bytes);
        rec.clear();
        rec.files = {other};
        dlg->Btn_ImportNet->click();
        ASSERT_EQ(rec.errors().size(), 1);
        EXPECT_TRUE(rec.errors()[0].startsWith(other));
        EXPECT_EQ(rec.shown.size(), 2u) << "no overwrite question";
        EXPECT_EQ(readAll(g_MBusFile), sampleFile());
        EXPECT_EQ(dlg->Nodi_List.size(), 3u);
    }
    // A chosen file that went away.
    rec.clear();
    rec.files = {app.file(QStringLiteral("gone.xml"))};
    dlg->Btn_ImportNet->click();
    EXPECT_EQ(rec.errors().size(), 1);
    EXPECT_EQ(readAll(g_MBusFile), sampleFile());

    const QByteArray good = "<Net><Nodo Descrizione=\"Imported\" ID_Primary=\"33\"><Variabile Desc=\"E\" Type=\"0\" "
                            "Fun_Field=\"0\" Dim=\"2\"/></Nodo></Net>";
    writeAll(other, good);
    rec.clear();
    rec.files = {other};
    rec.answers = {plat::Answer::No};
    dlg->Btn_ImportNet->click();
    EXPECT_EQ(rec.texts().value(1), Text_Table[871]);
    EXPECT_EQ(readAll(g_MBusFile), sampleFile());

    // Yes: the file is replaced and shown afresh; unsaved edits are gone.
    selectNode(0);
    dlg->btn_Add_Node->click();
    ASSERT_TRUE(dlg->Is_Change);
    rec.clear();
    rec.files = {other};
    rec.answers = {plat::Answer::Yes};
    dlg->Btn_ImportNet->click();
    EXPECT_TRUE(rec.errors().isEmpty()) << rec.errors().join(u'|').toStdString();
    EXPECT_EQ(readAll(g_MBusFile), good);
    EXPECT_EQ(captions(), (QStringList{s("ID 33 - Imported"), s("VAR - E")}));
    EXPECT_FALSE(dlg->Is_Change);

    // Without a network file there is nothing to overwrite and nothing to ask.
    QFile::remove(g_MBusFile);
    rec.clear();
    rec.files = {other};
    dlg->Btn_ImportNet->click();
    EXPECT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(readAll(g_MBusFile), good);
}

using MeterBusEdit = MeterBusProject;

TEST_F(MeterBusEdit, DeletesAfterConfirmation) {
    openSample();
    selectVar(0, 1);
    rec.answers = {plat::Answer::No};
    dlg->DeleteItems1->trigger();
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[888]});
    EXPECT_EQ(dlg->Nodi_List[0].Var_List.size(), 2u);
    EXPECT_FALSE(dlg->Is_Change);

    rec.answers = {plat::Answer::Yes};
    dlg->DeleteItems1->trigger();
    EXPECT_EQ(dlg->Nodi_List[0].Var_List.size(), 1u);
    EXPECT_EQ(captions(), (QStringList{s("ID 9 - Heat"), s("VAR - Energy"), s("ID 5 - Water"),
                                       s("wM-Bus Node - Address 0x12345678 - Radio"), s("VAR - Flow")}));
    EXPECT_TRUE(dlg->Is_Change);

    selectNode(1);
    rec.clear();
    rec.answers = {plat::Answer::Yes};
    dlg->DeleteItems1->trigger();
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[887]});
    ASSERT_EQ(dlg->Nodi_List.size(), 2u);
    EXPECT_EQ(dlg->Nodi_List[1].Description, s("Radio"));
    EXPECT_EQ(captions(), (QStringList{s("ID 9 - Heat"), s("VAR - Energy"),
                                       s("wM-Bus Node - Address 0x12345678 - Radio"), s("VAR - Flow")}));
    // The selection follows what the tree now selects.
    const QList<QTreeWidgetItem*> selected = dlg->TW->selectedItems();
    EXPECT_EQ(dlg->IND_NODO, selected.isEmpty() ? -1 : dlg->NODE_ORIG->indexOfChild(selected[0]));

    selectNone();
    rec.clear();
    rec.answers = {plat::Answer::Yes};
    dlg->DeleteItems1->trigger();
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[886]});
    EXPECT_TRUE(dlg->Nodi_List.empty());
    EXPECT_EQ(dlg->TW->topLevelItemCount(), 1);
    EXPECT_EQ(dlg->NODE_ORIG->childCount(), 0);

    // Deleting all of nothing changes nothing.
    open();
    dlg->DeleteItems1->trigger();  // answered No
    QFile::remove(g_MBusFile);
    open();
    rec.answers = {plat::Answer::Yes};
    dlg->DeleteItems1->trigger();
    EXPECT_FALSE(dlg->Is_Change);
}

TEST_F(MeterBusEdit, CopiesAndPastesVariables) {
    openSample();
    selectNone();
    dlg->CopyVariable1->trigger();
    selectNode(0);
    dlg->CopyVariable1->trigger();
    dlg->PasteVariable1Click();
    EXPECT_EQ(rec.errors(), (QStringList{Text_Table[890], Text_Table[889], Text_Table[893]}));
    EXPECT_FALSE(dlg->PasteVariable1->isEnabled());

    rec.clear();
    selectVar(0, 1);
    dlg->CopyVariable1->trigger();
    EXPECT_TRUE(dlg->PasteVariable1->isEnabled());
    selectNone();
    dlg->PasteVariable1->trigger();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[894]});

    selectVar(2, 0);  // pastes under the variable's node
    dlg->PasteVariable1->trigger();
    ASSERT_EQ(dlg->Nodi_List[2].Var_List.size(), 2u);
    EXPECT_EQ(dlg->Nodi_List[2].Var_List[1], dlg->Nodi_List[0].Var_List[1]);
    EXPECT_EQ(varItem(2, 1)->text(0), s("VAR - Volume"));
    EXPECT_TRUE(dlg->Is_Change);
}

TEST_F(MeterBusEdit, ACopiedNodeIsPastedAfterReopeningWithTheDialogsAddress) {
    openSample();
    dlg->CopyNode1->trigger();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[891]});
    selectVar(0, 0);  // the node of the variable is copied
    dlg->CopyNode1->trigger();
    EXPECT_TRUE(dlg->PasteNode1->isEnabled());
    dlg->Btn_Cancel->click();
    ASSERT_FALSE(dlg->isVisible());

    open();
    EXPECT_TRUE(dlg->PasteNode1->isEnabled());
    rec.clear();
    // The dialog's Cancel pastes nothing.
    QTimer::singleShot(0, [this] { ids->Btn_Cancel->click(); });
    dlg->PasteNode1->trigger();
    EXPECT_EQ(dlg->Nodi_List.size(), 3u);
    EXPECT_FALSE(dlg->Is_Change);

    bool prefilled = false;
    QTimer::singleShot(0, [this, &prefilled] {
        prefilled = QApplication::activeModalWidget() == ids.get() && ids->Form_Type == 1 &&
                    ids->RB_ID_Primary->isChecked() && ids->E_New_Node_ID_Pri->text() == u"9" &&
                    ids->E_New_Node_ID_Sec->text() == u"1" && ids->RB_ID_Primary->isVisible();
        ids->E_New_Node_ID_Pri->setText(QStringLiteral("9"));
        ids->Btn_OK->click();  // taken: refused, the dialog stays
        ids->E_New_Node_ID_Pri->setText(QStringLiteral("17"));
        ids->Btn_OK->click();
    });
    dlg->PasteNode1->trigger();
    EXPECT_TRUE(prefilled);
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[883]});
    ASSERT_EQ(dlg->Nodi_List.size(), 4u);
    const mbus::TNodo& copy = dlg->Nodi_List[0];
    mbus::TNodo expected = copy;
    expected.Node_ID_Primary = 17;
    expected.Access_Number = 0;
    expected.AN_Topic = 0;
    expected.wMBus_RSSI = 0;
    expected.wMBus_RSSI_Topic = 0;
    ASSERT_NE(copy.Access_Number, 0);
    ASSERT_NE(copy.wMBus_RSSI_Topic, 0);
    EXPECT_EQ(dlg->Nodi_List[3], expected);
    EXPECT_EQ(nodeItem(3)->text(0), s("ID 17 - Heat"));
    EXPECT_EQ(nodeItem(3)->childCount(), 2);
    EXPECT_TRUE(dlg->Is_Change);
}

TEST_F(MeterBusEdit, AWirelessNodeIsPastedWithTheDialogsWirelessAddress) {
    openSample();
    selectNode(2);
    dlg->CopyNode1->trigger();
    bool wirelessMode = false;
    QTimer::singleShot(0, [this, &wirelessMode] {
        wirelessMode = ids->Form_Type == 2 && ids->E_wMBus_Add->isVisible() && !ids->RB_ID_Primary->isVisible();
        ids->E_wMBus_Add->setText(QStringLiteral("0xABCDEF"));
        ids->Btn_OK->click();
    });
    dlg->PasteNode1->trigger();
    EXPECT_TRUE(wirelessMode);
    ASSERT_EQ(dlg->Nodi_List.size(), 4u);
    const mbus::TNodo& pasted = dlg->Nodi_List[3];
    EXPECT_EQ(pasted.wMBus_Add, s("0xABCDEF"));
    EXPECT_EQ(pasted.wMBus_Key, dlg->Nodi_List[2].wMBus_Key);
    EXPECT_EQ(pasted.Var_List, dlg->Nodi_List[2].Var_List);
    EXPECT_EQ(nodeItem(3)->text(0), s("wM-Bus Node - Address 0xABCDEF - Radio"));
}

TEST_F(MeterBusEdit, KeepsScannedValuesTheListsCannotShow) {
    const QByteArray scanned =
        "<M-Bus_Network><Nodo Node_Enable=\"0\" Descrizione=\"Meter 1\" ID_Primary=\"3\" MBus_Type=\"1\">"
        "<Variabile Enable=\"1\" Desc=\"Odd\" Type=\"65535\" Fun_Field=\"0\" Dim=\"255\" VIFE=\"200\" "
        "Position=\"150\" Topic=\"7\"/>"
        "<Variabile Enable=\"1\" Desc=\"Other\" Type=\"65535\" Fun_Field=\"0\" Dim=\"2\" Position=\"150\"/>"
        "</Nodo></M-Bus_Network>";
    writeAll(g_MBusFile, scanned);
    open();
    selectNode(0);
    EXPECT_FALSE(dlg->CB_Enable_Node->isChecked());

    // Modified without touching the lists: the values stay.
    selectVar(0, 0);
    EXPECT_EQ(dlg->CB_Var_ToD->currentIndex(), -1);
    EXPECT_EQ(dlg->CB_VIFE->currentIndex(), -1);
    EXPECT_EQ(dlg->CB_Var_Dim->currentIndex(), -1);
    EXPECT_EQ(dlg->CB_Topic->currentIndex(), -1);
    EXPECT_FALSE(dlg->E_Length->isEnabled());
    dlg->E_New_Var_Desc->setText(s("Odd 2"));
    dlg->btn_Add_Var->click();
    EXPECT_TRUE(rec.errors().isEmpty()) << rec.errors().join(u'|').toStdString();
    mbus::TVariabile v = dlg->Nodi_List[0].Var_List[0];
    EXPECT_EQ(v.Type_Of_Data, 65535);
    EXPECT_EQ(v.Dimension, 255);
    EXPECT_EQ(v.VIFE, 200);
    EXPECT_EQ(v.Position, 150);
    EXPECT_EQ(v.Topic, 7);

    // Picked and typed values replace them; a typed position is checked.
    selectVar(0, 1);
    dlg->CB_Var_ToD->setCurrentIndex(3);
    dlg->E_Position->setText(s("151"));
    dlg->btn_Add_Var->click();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[875]});
    dlg->E_Position->setText(s("12"));
    dlg->btn_Add_Var->click();
    EXPECT_EQ(dlg->Nodi_List[0].Var_List[1].Type_Of_Data, 3);
    EXPECT_EQ(dlg->Nodi_List[0].Var_List[1].Position, 12);

    dlg->Btn_OK->click();
    const QByteArray written = readAll(g_MBusFile);
    EXPECT_TRUE(written.contains("Enable_Node=\"0\"")) << written.constData();
    EXPECT_TRUE(written.contains("Desc=\"Odd 2\" Type=\"65535\"")) << written.constData();
    EXPECT_TRUE(written.contains("VIFE=\"200\"")) << written.constData();
    EXPECT_TRUE(written.contains("Position=\"150\" Topic=\"7\"")) << written.constData();
}

TEST_F(MeterBusEdit, OkWithoutTouchingKeepsAScannedType) {
    writeAll(g_MBusFile, "<M-Bus_Network><Nodo Node_Enable=\"0\" Descrizione=\"M\"><Variabile Desc=\"V\" "
                         "Type=\"65535\" Fun_Field=\"0\" Dim=\"0\"/></Nodo></M-Bus_Network>");
    open();
    EXPECT_FALSE(dlg->Nodi_List[0].Enable);
    dlg->Btn_OK->click();
    EXPECT_TRUE(readAll(g_MBusFile).contains("Type=\"65535\""));
    EXPECT_TRUE(readAll(g_MBusFile).contains("Enable_Node=\"0\""));
}

TEST_F(MeterBusShow, LabelsItselfFromItsTextBlock) {
    for (int n = 800; n <= 915; ++n) Text_Table[n] = QStringLiteral("T%1").arg(n);
    dlg->Set_Lang();
    const std::pair<QString, int> shown[] = {
        {dlg->windowTitle(), 800},          {dlg->L_SW_Desc()->text(), 801},
        {dlg->Btn_OK->Caption(), 802},         {dlg->Btn_Cancel->Caption(), 803},
        {dlg->Btn_ImportNet->Caption(), 804},  {dlg->ExTabSheet1->Caption(), 805},
        {dlg->ExTabSheet2->Caption(), 806}, {dlg->CB_Enable_Node->text(), 807},
        {dlg->L_New_Node_Desc->text(), 808}, {dlg->RB_ID_Primary->text(), 809},
        {dlg->RB_ID_Secondary->text(), 810}, {dlg->CB_SND_NKE->text(), 815},
        {dlg->CB_Reset_App->text(), 816},   {dlg->L_Var_Type->text(), 817},
        {dlg->L_Cut_After->text(), 818},    {dlg->L_Frames->text(), 819},
        {dlg->btn_Add_Node->Caption(), 821},   {dlg->CB_Var_En->text(), 822},
        {dlg->L_New_Var_Desc->text(), 823}, {dlg->L_Var_ToD->text(), 824},
        {dlg->L_VIF_ASCII->text(), 825},    {dlg->L_Var_FF->text(), 826},
        {dlg->L_Var_Dim->text(), 827},      {dlg->L_Length->text(), 828},
        {dlg->L_Var_Unit->text(), 829},     {dlg->L_Sto_Num->text(), 830},
        {dlg->L_Tariff->text(), 831},       {dlg->L_VIFE->text(), 832},
        {dlg->CB_BCDtoINT->text(), 833},    {dlg->L_Position->text(), 834},
        {dlg->L_Topic->text(), 835},        {dlg->L_PostOpe->text(), 837},
        {dlg->btn_Add_Var->Caption(), 839},    {dlg->CopyVariable1->text(), 840},
        {dlg->PasteVariable1->text(), 841}, {dlg->CopyNode1->text(), 842},
        {dlg->PasteNode1->text(), 843},     {dlg->DeleteItems1->text(), 844},
        {dlg->L_wMBus_ManID->text(), 845},  {dlg->L_wMBus_Add->text(), 846},
        {dlg->L_wMBus_Ver->text(), 847},    {dlg->L_wMBus_DevType->text(), 848},
        {dlg->CB_wMBus_EnKey->text(), 849}, {dlg->L_wMBus_K[0]->text(), 850},
        {dlg->L_wMBus_K[15]->text(), 865},  {dlg->L_wMBus_VarList->text(), 870},
    };
    for (const auto& [text, n] : shown) EXPECT_EQ(text, QStringLiteral("T%1").arg(n)) << n;
    // The buttons' other captions follow the selection.
    openSample();
    selectVar(0, 0);
    dlg->Set_Lang();
    EXPECT_EQ(dlg->btn_Add_Var->Caption(), s("T838"));
    selectNode(0);
    dlg->Set_Lang();
    EXPECT_EQ(dlg->btn_Add_Node->Caption(), s("T820"));
    Load_Default_Language();
}

TEST(MeterBusUnits, MapsTypeAndVifeToEngineeringUnits) {
    struct Case {
        int type, vife, unit;
    };
    const Case cases[] = {{0, 0, 18},   {1, 0, 16},   {2, 0, 80},   {3, 0, 39},   {6, 0, 47},   {8, 0, 135},
                          {9, 0, 165},  {10, 0, 85},  {11, 0, 44},  {12, 0, 62},  {13, 0, 62},  {14, 0, 63},
                          {15, 0, 62},  {16, 0, 55},  {4, 38, 95},  {17, 0, 95},  {25, 0, 95},  {19, 38, 5},
                          {19, 39, 3},  {19, 51, 146}, {19, 57, 83}, {19, 59, 89}, {19, 60, 192}, {19, 61, 49},
                          {19, 63, 64}, {19, 67, 64}, {19, 68, 62}, {19, 69, 47}, {19, 70, 101}, {19, 71, 100},
                          {19, 62, 95}, {19, 0, 95},  {19, 72, 95}};
    for (const Case& c : cases)
        EXPECT_EQ(TFMeter_Bus::Found_BACnet_EngUnits(c.type, c.vife), c.unit) << c.type << " " << c.vife;
}

}  // namespace
