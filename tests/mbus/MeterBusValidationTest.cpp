// What the network editor and the node identifier dialog accept when a node, a variable or a
// pasted node's address is entered.
#include "tests/mbus/MeterBusTestSupport.h"

#include "controls/FadeButton.h"

#include <QLabel>
#include <functional>

namespace {

using meterbus_test::MeterBusProject;
using Fill = std::function<void(TFMeter_Bus&)>;

QString s(const char* t) { return QString::fromUtf8(t); }

// A selection in the sample network: node n, or variable v of node n; n -1 for none.
struct Selection {
    int node = -1;
    int var = -1;
};

void wired(TFMeter_Bus& d, bool primary, const char* address) {
    d.E_New_Node_Desc->setText(s("New"));
    d.CB_MBus_Type->setCurrentIndex(1);
    (primary ? d.RB_ID_Primary : d.RB_ID_Secondary)->setChecked(true);
    (primary ? d.E_New_Node_ID_Pri : d.E_New_Node_ID_Sec)->setText(s(address));
}

// A wireless node that passes every check, with its key enabled or not.
void wireless(TFMeter_Bus& d, bool keyEnabled) {
    d.E_New_Node_Desc->setText(s("Radio 2"));
    d.CB_MBus_Type->setCurrentIndex(0);
    d.E_wMBus_ManID->setText(s("0x2C2D"));
    d.E_wMBus_Add->setText(s("0x1"));
    d.E_wMBus_Ver->setText(s("1"));
    d.E_wMBus_DevType->setText(s("7"));
    d.CB_wMBus_EnKey->setChecked(keyEnabled);
    for (int k = 0; k < 16; ++k) d.E_wMBus_K[size_t(k)]->setText(QString::number(k));
}

struct NodeCase {
    const char* name;
    Selection selection;
    Fill fill;
    int message;   // text number, -1: accepted
    size_t nodes;  // nodes afterwards
};

const NodeCase kNodeCases[] = {
    {"primary 5 is taken by the secondary address 5 of another wired node", {},
     [](TFMeter_Bus& d) { wired(d, true, "5"); }, 885, 3},
    {"primary 9 is taken by the primary address of node 1", {}, [](TFMeter_Bus& d) { wired(d, true, "9"); }, 885, 3},
    {"a free primary address is added", {}, [](TFMeter_Bus& d) { wired(d, true, "10"); }, -1, 4},
    {"the selected node is not compared with itself", {0, -1},
     [](TFMeter_Bus& d) { d.E_New_Node_Desc->setText(s("Heat 2")); }, -1, 3},
    {"the selected node cannot take another node's address", {0, -1},
     [](TFMeter_Bus& d) { wired(d, false, "5"); }, 885, 3},
    {"with a variable of node 1 selected a new node cannot take its address", {0, 0},
     [](TFMeter_Bus& d) { wired(d, true, "9"); }, 884, 3},
    {"with a variable selected a new node with a free address is added", {0, 0},
     [](TFMeter_Bus& d) { wired(d, true, "10"); }, -1, 4},
    {"primary 256", {}, [](TFMeter_Bus& d) { wired(d, true, "256"); }, 881, 3},
    {"primary -1", {}, [](TFMeter_Bus& d) { wired(d, true, "-1"); }, 881, 3},
    {"primary not a number", {}, [](TFMeter_Bus& d) { wired(d, true, "nine"); }, 881, 3},
    {"primary 255 in hexadecimal", {}, [](TFMeter_Bus& d) { wired(d, true, "0xFF"); }, -1, 4},
    {"secondary 100000000", {}, [](TFMeter_Bus& d) { wired(d, false, "100000000"); }, 882, 3},
    {"secondary 99999999", {}, [](TFMeter_Bus& d) { wired(d, false, "99999999"); }, -1, 4},
    {"key byte 6 of 256 with Key Enable set", {},
     [](TFMeter_Bus& d) {
         wireless(d, true);
         d.E_wMBus_K[5]->setText(s("256"));
     },
     905, 3},
    {"key byte 16 not a number with Key Enable set", {},
     [](TFMeter_Bus& d) {
         wireless(d, true);
         d.E_wMBus_K[15]->setText(s(""));
     },
     915, 3},
    {"key bytes are not checked with Key Enable cleared", {},
     [](TFMeter_Bus& d) {
         wireless(d, false);
         d.E_wMBus_K[5]->setText(s("256"));
     },
     -1, 4},
    {"wireless address 0x100000000", {},
     [](TFMeter_Bus& d) {
         wireless(d, false);
         d.E_wMBus_Add->setText(s("0x100000000"));
     },
     897, 3},
    {"wireless address 0xFFFFFFFF", {},
     [](TFMeter_Bus& d) {
         wireless(d, false);
         d.E_wMBus_Add->setText(s("0xFFFFFFFF"));
     },
     -1, 4},
    {"a wireless node whose device type equals a wired address", {},
     [](TFMeter_Bus& d) {
         wireless(d, true);
         d.E_wMBus_DevType->setText(s("9"));
         d.E_wMBus_K[15]->setText(s("5"));
     },
     -1, 4},
    {"manufacturer 0x10000", {},
     [](TFMeter_Bus& d) {
         wireless(d, false);
         d.E_wMBus_ManID->setText(s("0x10000"));
     },
     896, 3},
    {"version 0x100", {},
     [](TFMeter_Bus& d) {
         wireless(d, false);
         d.E_wMBus_Ver->setText(s("0x100"));
     },
     898, 3},
    {"device type empty", {},
     [](TFMeter_Bus& d) {
         wireless(d, false);
         d.E_wMBus_DevType->clear();
     },
     899, 3},
};

using NodeValidation = MeterBusProject;

TEST_F(NodeValidation, RefusesWithTheFirstFailingCheck) {
    for (const NodeCase& c : kNodeCases) {
        SCOPED_TRACE(c.name);
        openSample();
        if (c.selection.var >= 0)
            selectVar(c.selection.node, c.selection.var);
        else if (c.selection.node >= 0)
            selectNode(c.selection.node);
        rec.clear();
        c.fill(*dlg);
        addNode();
        EXPECT_EQ(rec.errors(), c.message < 0 ? QStringList() : QStringList{Text_Table[c.message]});
        EXPECT_EQ(dlg->Nodi_List.size(), c.nodes);
        EXPECT_EQ(size_t(dlg->NODE_ORIG->childCount()), c.nodes);
        EXPECT_EQ(dlg->Is_Change, c.message < 0);
    }
}

TEST_F(NodeValidation, ANewNodeTakesTheFieldsAndZeroForTheRest) {
    openSample();
    wired(*dlg, false, "77");
    dlg->E_New_Node_ID_Pri->setText(s("not a number"));
    dlg->CB_SND_NKE->setChecked(true);
    dlg->CB_Var_Type->setCurrentIndex(1);
    dlg->CB_Cut_After->setCurrentIndex(249);
    addNode();
    ASSERT_EQ(dlg->Nodi_List.size(), 4u);
    const mbus::TNodo& n = dlg->Nodi_List.back();
    EXPECT_EQ(n.Node_ID_Type, 1);
    EXPECT_EQ(n.Node_ID_Secondary, 77);
    EXPECT_EQ(n.Node_ID_Primary, 1) << "the box the radio button does not choose keeps the new node's 1";
    EXPECT_EQ(n.Send_SNK, 1);
    EXPECT_EQ(n.Var_List_Type, 1);
    EXPECT_EQ(n.Cut_After, 249);
    EXPECT_EQ(n.MBus_Type, 1);
    EXPECT_EQ(n.Node_State, 0);
    EXPECT_EQ(n.Access_Number, 0);
    EXPECT_EQ(n.wMBus_RSSI_Topic, 0);
    EXPECT_TRUE(n.Var_List.empty());
    EXPECT_EQ(nodeItem(3)->text(0), s("ID 77 - New"));
    EXPECT_TRUE(dlg->NODE_ORIG->isExpanded());

    // Modifying keeps what the editor has no control for, and an unchosen box that holds no
    // number keeps the node's address.
    selectNode(0);
    EXPECT_EQ(dlg->btn_Add_Node->Caption(), Text_Table[820]);
    dlg->E_New_Node_ID_Sec->setText(s("x"));
    dlg->E_New_Node_Desc->setText(s("Heat 2"));
    addNode();
    const mbus::TNodo& m = dlg->Nodi_List[0];
    EXPECT_EQ(m.Description, s("Heat 2"));
    EXPECT_EQ(m.Node_ID_Secondary, 1);
    EXPECT_EQ(m.Node_State, 2);
    EXPECT_EQ(m.Access_Number, 7);
    EXPECT_EQ(m.Var_List.size(), 2u);
    EXPECT_EQ(nodeItem(0)->text(0), s("ID 9 - Heat 2"));

    // A wireless node takes its own list type box.
    selectNone();
    wireless(*dlg, true);
    dlg->CB_wMBus_VarList->setCurrentIndex(1);
    addNode();
    const mbus::TNodo& w = dlg->Nodi_List.back();
    EXPECT_EQ(w.MBus_Type, 0);
    EXPECT_EQ(w.Var_List_Type, 1);
    EXPECT_EQ(w.wMBus_En_Key, 1);
    EXPECT_EQ(w.wMBus_Key[15], s("15"));
    EXPECT_EQ(nodeItem(4)->text(0), s("wM-Bus Node - Address 0x1 - Radio 2"));
}

struct VarCase {
    const char* name;
    Fill fill;
    int message;  // text number, -1: accepted
};

void field(QLineEdit* e, const char* text) { e->setText(s(text)); }

const VarCase kVarCases[] = {
    {"storage 0x100000000", [](TFMeter_Bus& d) { field(d.E_Sto_Num, "0x100000000"); }, 872},
    {"storage 0xFFFFFFFF", [](TFMeter_Bus& d) { field(d.E_Sto_Num, "0xFFFFFFFF"); }, -1},
    {"storage -1", [](TFMeter_Bus& d) { field(d.E_Sto_Num, "-1"); }, 872},
    {"tariff 0x100000", [](TFMeter_Bus& d) { field(d.E_Tariff, "0x100000"); }, 873},
    {"tariff 0xFFFFF", [](TFMeter_Bus& d) { field(d.E_Tariff, "0xFFFFF"); }, -1},
    {"storage is checked before tariff",
     [](TFMeter_Bus& d) {
         field(d.E_Tariff, "x");
         field(d.E_Sto_Num, "x");
     },
     872},
    {"length 192 with variable length",
     [](TFMeter_Bus& d) {
         d.CB_Var_Dim->setCurrentIndex(7);
         field(d.E_Length, "192");
     },
     874},
    {"length 191 with variable length",
     [](TFMeter_Bus& d) {
         d.CB_Var_Dim->setCurrentIndex(7);
         field(d.E_Length, "191");
     },
     -1},
    {"length not checked with a fixed dimension", [](TFMeter_Bus& d) { field(d.E_Length, "192"); }, -1},
    {"position 0, hidden by the list type", [](TFMeter_Bus& d) { field(d.E_Position, "0"); }, 875},
    {"position 101", [](TFMeter_Bus& d) { field(d.E_Position, "101"); }, 875},
    {"position 100", [](TFMeter_Bus& d) { field(d.E_Position, "100"); }, -1},
    {"post operation with type 19 and VIFE 38",
     [](TFMeter_Bus& d) {
         d.CB_PostOpe->setCurrentIndex(1);
         d.CB_Var_ToD->setCurrentIndex(19);
         d.CB_VIFE->setCurrentIndex(38);
     },
     -1},
    {"post operation with type 19 and VIFE 40",
     [](TFMeter_Bus& d) {
         d.CB_PostOpe->setCurrentIndex(1);
         d.CB_Var_ToD->setCurrentIndex(19);
         d.CB_VIFE->setCurrentIndex(40);
     },
     880},
    {"post operation with type 19 and VIFE 69",
     [](TFMeter_Bus& d) {
         d.CB_PostOpe->setCurrentIndex(12);
         d.CB_Var_ToD->setCurrentIndex(19);
         d.CB_VIFE->setCurrentIndex(69);
     },
     -1},
    {"post operation with type 19 and VIFE 70",
     [](TFMeter_Bus& d) {
         d.CB_PostOpe->setCurrentIndex(1);
         d.CB_Var_ToD->setCurrentIndex(19);
         d.CB_VIFE->setCurrentIndex(70);
     },
     880},
    {"post operation with type 20",
     [](TFMeter_Bus& d) {
         d.CB_PostOpe->setCurrentIndex(1);
         d.CB_Var_ToD->setCurrentIndex(20);
     },
     879},
    {"post operation with type 18 whatever the VIFE",
     [](TFMeter_Bus& d) {
         d.CB_PostOpe->setCurrentIndex(1);
         d.CB_Var_ToD->setCurrentIndex(18);
         d.CB_VIFE->setCurrentIndex(40);
     },
     -1},
    {"type 25 without a post operation", [](TFMeter_Bus& d) { d.CB_Var_ToD->setCurrentIndex(25); }, -1},
};

using VariableValidation = MeterBusProject;

TEST_F(VariableValidation, RefusesWithTheFirstFailingCheck) {
    for (const VarCase& c : kVarCases) {
        SCOPED_TRACE(c.name);
        openSample();
        selectNode(0);
        rec.clear();
        dlg->E_New_Var_Desc->setText(s("Added"));
        c.fill(*dlg);
        addVar();
        EXPECT_EQ(rec.errors(), c.message < 0 ? QStringList() : QStringList{Text_Table[c.message]});
        EXPECT_EQ(dlg->Nodi_List[0].Var_List.size(), c.message < 0 ? 3u : 2u);
        EXPECT_EQ(nodeItem(0)->childCount(), c.message < 0 ? 3 : 2);
    }
}

TEST_F(VariableValidation, AddsUnderTheSelectedNodeAndModifiesInPlace) {
    openSample();
    selectNone();
    addVar();  // nothing selected: nothing happens
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_FALSE(dlg->Is_Change);

    selectNode(1);
    EXPECT_EQ(dlg->btn_Add_Var->Caption(), Text_Table[839]);
    dlg->CB_Var_En->setChecked(false);
    dlg->E_New_Var_Desc->setText(s("Text"));
    dlg->CB_Var_ToD->setCurrentIndex(21);
    dlg->E_VIF_ASCII->setText(s("kWh"));
    dlg->CB_Var_FF->setCurrentIndex(3);
    dlg->CB_Var_Dim->setCurrentIndex(7);
    dlg->E_Length->setText(s("0x10"));
    dlg->CB_Var_Unit->setCurrentIndex(10);
    dlg->E_Sto_Num->setText(s("4294967295"));
    dlg->E_Tariff->setText(s("$FFFFF"));
    dlg->CB_VIFE->setCurrentIndex(151);
    dlg->CB_BCDtoINT->setChecked(true);
    dlg->E_Position->setText(s("100"));
    dlg->CB_PostOpe->setCurrentIndex(12);
    dlg->CB_Var_ToD->setCurrentIndex(5);  // a post operation needs a type below 20
    addVar();
    ASSERT_TRUE(rec.errors().isEmpty()) << rec.errors().join(u'|').toStdString();
    ASSERT_EQ(dlg->Nodi_List[1].Var_List.size(), 1u);
    mbus::TVariabile expected;
    expected.Enable = false;
    expected.Description = s("Text");
    expected.Type_Of_Data = 5;
    expected.VIF_ASCII = s("kWh");
    expected.Function_Field = 3;
    expected.Dimension = 7;
    expected.Length = 16;
    expected.Unita = 10;
    expected.Storage_Number = 4294967295u;
    expected.Tariff = 0xFFFFF;
    expected.VIFE = 151;
    expected.BCDtoINT = true;
    expected.Position = 100;
    expected.Topic = -1;  // the project has no topics
    expected.Post_Operation = 12;
    EXPECT_EQ(dlg->Nodi_List[1].Var_List[0], expected);
    EXPECT_EQ(varItem(1, 0)->text(0), s("VAR - Text"));

    selectVar(1, 0);
    EXPECT_EQ(dlg->btn_Add_Var->Caption(), Text_Table[838]);
    dlg->E_New_Var_Desc->setText(s("Text 2"));
    dlg->CB_Var_Dim->setCurrentIndex(2);
    dlg->E_Length->setText(s("abc"));  // not checked with a fixed dimension, and no number: 0
    addVar();
    EXPECT_TRUE(rec.errors().isEmpty()) << rec.errors().join(u'|').toStdString();
    ASSERT_EQ(dlg->Nodi_List[1].Var_List.size(), 1u);
    EXPECT_EQ(dlg->Nodi_List[1].Var_List[0].Description, s("Text 2"));
    EXPECT_EQ(dlg->Nodi_List[1].Var_List[0].Length, 0);
    EXPECT_EQ(varItem(1, 0)->text(0), s("VAR - Text 2"));
    EXPECT_TRUE(dlg->Is_Change);
}

// ---- the node identifier dialog ----

struct IdCase {
    const char* name;
    int formType;  // 1 wired, 2 wireless
    bool primary;
    const char* text;
    int message;  // text number, -1: accepted
};

const IdCase kIdCases[] = {
    {"primary 256", 1, true, "256", 1207},
    {"primary 255 when free", 1, true, "255", -1},
    {"primary not a number", 1, true, "", 1207},
    {"primary 9 taken by node 1", 1, true, "9", 883},
    {"secondary 100000000", 1, false, "100000000", 1208},
    {"secondary 5 taken by the node with secondary address 5", 1, false, "5", 883},
    {"primary 5 free: the node with 5 is addressed by secondary address", 1, true, "5", -1},
    {"primary 1 free: the wireless node's unused primary address does not count", 1, true, "1", -1},
    {"wireless 0xFFFFFFFF", 2, true, "0xFFFFFFFF", -1},
    {"wireless -1", 2, true, "-1", 1210},
    {"wireless 0x100000000", 2, true, "0x100000000", 1210},
    {"wireless not a number", 2, true, "radio", 1210},
};

using NodeIdDialog = MeterBusProject;

TEST_F(NodeIdDialog, ChecksTheAddressOfItsMode) {
    openSample();
    for (const IdCase& c : kIdCases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        TFNewIDNode d;
        d.Form_Type = c.formType;
        d.show();  // a hidden button does not answer
        (c.primary ? d.RB_ID_Primary : d.RB_ID_Secondary)->setChecked(true);
        QLineEdit* box = c.formType == 2 ? d.E_wMBus_Add : c.primary ? d.E_New_Node_ID_Pri : d.E_New_Node_ID_Sec;
        box->setText(s(c.text));
        d.Btn_OK->click();
        EXPECT_EQ(rec.errors(), c.message < 0 ? QStringList() : QStringList{Text_Table[c.message]});
        EXPECT_EQ(d.ModalResult(), c.message < 0 ? plat::mrOk : plat::mrNone);
        EXPECT_EQ(box->text(), s(c.text));
    }
}

TEST_F(NodeIdDialog, ShowsTheControlsOfItsMode) {
    TFNewIDNode& d = *ids;
    EXPECT_EQ(d.ClientWidth(), 265);
    EXPECT_EQ(d.ClientHeight(), 195);
    EXPECT_EQ(d.windowTitle(), Text_Table[1200]);
    EXPECT_EQ(d.L_SW_Code()->text(), s("KS73632"));
    EXPECT_TRUE(d.RB_ID_Primary->isChecked());
    EXPECT_EQ(d.E_New_Node_ID_Pri->text(), s("1"));
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        d.Form_Type = mode;
        d.hide();
        d.show();
        EXPECT_EQ(d.RB_ID_Primary->isVisible(), mode == 1);
        EXPECT_EQ(d.E_New_Node_ID_Sec->isVisible(), mode == 1);
        EXPECT_EQ(d.E_wMBus_Add->isVisible(), mode == 2);
        EXPECT_EQ(d.L_wMBus_Add->isVisible(), mode == 2);
        // The prompt, the rows and the buttons each keep their own room: text drawn under
        // another control would be cut off.
        const QList<QWidget*> parts{d.Label1, d.RB_ID_Primary, d.E_New_Node_ID_Pri, d.RB_ID_Secondary,
                                    d.E_New_Node_ID_Sec, d.L_wMBus_Add, d.E_wMBus_Add};
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QWidget* a = parts[i];
            if (!a->isVisible()) continue;
            EXPECT_GE(a->y(), plat::TForm::kTitleHeight) << qPrintable(a->objectName());
            EXPECT_LE(a->geometry().bottom(), d.ClientHeight() - 40) << qPrintable(a->objectName());
            for (qsizetype j = i + 1; j < parts.size(); ++j)
                if (parts[j]->isVisible())
                    EXPECT_FALSE(a->geometry().intersects(parts[j]->geometry()))
                        << qPrintable(a->objectName()) << " overlaps " << qPrintable(parts[j]->objectName());
        }
    }
    // The wireless address sits where the radio buttons are.
    EXPECT_EQ(d.L_wMBus_Add->y(), d.RB_ID_Primary->y());
    d.Btn_Cancel->click();
    EXPECT_EQ(d.ModalResult(), plat::mrCancel);
    EXPECT_TRUE(rec.shown.empty());
}

}  // namespace
