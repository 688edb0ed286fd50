#include "building/UBACnetAccess.h"

#include "building/BACnetClientSchema.h"
#include "building/BuildingLists.h"
#include "building/UImportEDEFile.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

namespace {

using namespace bacnetclient;
using namespace building;

QString text(int n) { return Text_Table.value(n); }

const AccessListDef& definition() {
    static const AccessListDef def{
        "FBACnetAccess", 1000, nullptr, 4700, 4701, 4702, -1, 4736, 4737, true,
        &bacnetclient::schema(kIP), &g_BACnetMasterAccessFile,
        {{"TS_BACnet_Read", "CG1", 4706,
          {{4708, -1, edNormal, 35, clWindow},
           {4790, -1, edDataCheckBox, 50, kProtocolColour},
           {4709, -1, edNormal, 100, kIdentityColour},
           {4711, -1, edComboEdit, 150, kIdentityColour},
           {4712, -1, edNormal, 75, kIdentityColour},
           {4713, -1, edComboEdit, 150, kIdentityColour},
           {4714, -1, edNormal, 50, kDataColour},
           {4762, -1, edDataCheckBox, 55, kProtocolColour},
           {4763, -1, edNormal, 55, kProtocolColour},
           {4764, -1, edComboList, 50, kProtocolColour},
           {4765, -1, edNormal, 110, kProtocolColour},
           {4715, -1, edNormal, 70, kProtocolColour},
           {4716, -1, edNormal, 60, kProtocolColour},
           {4717, -1, edComboList, 65, kDataColour},
           {4718, -1, edComboList, 60, kDataColour},
           {4760, -1, edDataCheckBox, 45, kDataColour},
           {4780, -1, edComboList, 120, kDataColour},
           {4719, -1, edNormal, 160, clWhite}}},
         {"TS_BACnet_Write", "CG2", 4707,
          {{4720, -1, edNormal, 35, clWindow},
           {4791, -1, edDataCheckBox, 50, kProtocolColour},
           {4721, -1, edNormal, 100, kIdentityColour},
           {4723, -1, edComboEdit, 150, kIdentityColour},
           {4724, -1, edComboList, 100, kDataColour},
           {4725, -1, edNormal, 75, kIdentityColour},
           {4726, -1, edComboEdit, 130, kIdentityColour},
           {4727, -1, edNormal, 55, kProtocolColour},
           {4728, -1, edNormal, 50, kDataColour},
           {4766, -1, edDataCheckBox, 55, kProtocolColour},
           {4767, -1, edNormal, 55, kProtocolColour},
           {4768, -1, edComboList, 50, kProtocolColour},
           {4769, -1, edNormal, 110, kProtocolColour},
           {4729, -1, edDataCheckBox, 55, kProtocolColour},
           {4730, -1, edDataCheckBox, 50, kProtocolColour},
           {4731, -1, edNormal, 70, kProtocolColour},
           {4732, -1, edNormal, 60, kProtocolColour},
           {4733, -1, edComboList, 65, kDataColour},
           {4734, -1, edComboList, 60, kDataColour},
           {4761, -1, edDataCheckBox, 45, kDataColour},
           {4781, -1, edComboList, 120, kDataColour},
           {4735, -1, edNormal, 160, clWhite}},
          4746}},
        true,
        false};
    return def;
}

QStringList numbers(int from, int to) {
    QStringList l;
    l.reserve(to - from + 1);
    for (int i = from; i <= to; ++i) l << QString::number(i);
    return l;
}

int screenWidth() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 0;
}

accesslist::Rows rowsOf(const TExColumnGrid& g) {
    accesslist::Rows rows;
    rows.reserve(size_t(g.RowCount()));
    for (int r = 1; r < g.RowCount(); ++r) {
        accesslist::Row row;
        row.reserve(g.TotalColCount());
        for (int c = 0; c < g.TotalColCount(); ++c) row.append(c == 0 ? QString() : g.Cells(c, r));
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

TFBACnetAccess::TFBACnetAccess(QWidget* parent) : TAccessListForm(definition(), parent) {
    SetClientSize(clientWidthFor(screenWidth()), kClientHeight);
    TS_BACnet_Read = Page(0);
    TS_BACnet_Write = Page(1);
    CG1 = &Grid(0);
    CG2 = &Grid(1);
    // Swap and the conversion are not taken by the gateway yet: hidden and not stored.
    CG1->HideColumns(rSwap, rConvertion);
    CG2->HideColumns(wSwap, wConvertion);
    TGridColumnCollection& read = CG1->Columns();
    read.Items(rObjectType).SetComboItems(readObjectTypes());
    read.Items(rProperty).SetComboItems(readProperties());
    read.Items(rDLen).SetComboItems(destinationLengths());
    read.Items(rStartBit).SetComboItems(numbers(0, 7));
    read.Items(rConvertion).SetComboItems(readConversions());
    TGridColumnCollection& write = CG2->Columns();
    write.Items(wObjectType).SetComboItems(writeObjectTypes());
    write.Items(wDataType).SetComboItems(dataTypes());
    write.Items(wProperty).SetComboItems(writeProperties());
    write.Items(wDLen).SetComboItems(destinationLengths());
    write.Items(wStartBit).SetComboItems(numbers(0, 7));
    write.Items(wConvertion).SetComboItems(writeConversions());

    Btn_Import_CSV = NewHouseButton(QStringLiteral("Import EDE"), P_Button);
    Btn_Import_CSV->setObjectName(QStringLiteral("Btn_Import_CSV"));
    Btn_Import_CSV->setGeometry(488, 6, 110, 28);
    plat::onSignal(Btn_Import_CSV, &TFadeButton::clicked, this, [this]() { Btn_Import_CSVClick(); });
    OD_EDE_File.InitialDir = g_EDEImportPath;
    Set_Lang();
}

void TFBACnetAccess::Set_Lang() {
    TAccessListForm::Set_Lang();
    Btn_Import_CSV->SetCaption(text(4759));
    showKind();
}

// Column 2 names the address of the kind, and is hidden where rows carry none.
void TFBACnetAccess::showKind() {
    const bool shown = App_BACnet_Type == kIP || App_BACnet_Type == kMSTP;
    for (TExColumnGrid* g : {CG1, CG2}) {
        if (shown && g->IsHiddenColumn(rAddress)) g->UnHideColumn(rAddress);
        if (!shown && !g->IsHiddenColumn(rAddress)) g->HideColumn(rAddress);
    }
    if (shown) {
        const bool ip = App_BACnet_Type == kIP;
        CG1->Columns().Items(rAddress).SetHeader(text(ip ? 4709 : 4710));
        CG2->Columns().Items(wAddress).SetHeader(text(ip ? 4721 : 4722));
    }
    for (TExColumnGrid* g : {CG1, CG2}) Fit_Header_Row(*g);
}

void TFBACnetAccess::Prepare_Show() {
    // The kind is read at every showing: the communication parameters may have changed it.
    std::optional<int> kind;
    if (plat::fileExists(g_ParGenFile))
        if (const std::optional<QByteArray> bytes = plat::readFile(g_ParGenFile)) kind = masterType(*bytes);
    if (!kind) plat::dialogs().error(text(4757));
    App_BACnet_Type = kind.value_or(kIP);
    showKind();
    const QStringList positions = numbers(0, kAreaBytes - 1);
    CG1->Columns().Items(rPosition).SetComboItems(positions);
    CG2->Columns().Items(wPosition).SetComboItems(positions);
}

const accesslist::Schema& TFBACnetAccess::ListSchema() const { return bacnetclient::schema(App_BACnet_Type); }

std::vector<accesslist::SectionRules> TFBACnetAccess::Rules() const { return bacnetclient::rules(App_BACnet_Type); }

void TFBACnetAccess::ClickCell(QObject*, int, int) {}
void TFBACnetAccess::DblClickCell(QObject*, int, int) {}
void TFBACnetAccess::KeyPress(QObject*, QChar&) {}

void TFBACnetAccess::GridHint(QObject* Sender, int ARow, int ACol, QString& hint) {
    CG1GridHint(Sender, ARow, ACol, hint);
}

void TFBACnetAccess::CG1GridHint(QObject* Sender, int ARow, int ACol, QString& hint) {
    hint = Sender == CG1 ? Str_Hint_Read(ARow, CG1->RealColIndex(ACol)) : QString();
}

QString TFBACnetAccess::Str_Hint_Read(int ARow, int ACol) const {
    if (ARow < 1 || ARow >= CG1->RowCount() || ACol != rNByte) return {};
    return NByte_Hint(CG1->Cells(rObjectType, ARow), CG1->Cells(rProperty, ARow));
}

void TFBACnetAccess::Btn_Import_CSVClick() {
    TFImportEDEFile* window = Import_Window ? Import_Window : FImportEDEFile;
    if (!window) return;
    window->App_BACnet_Type = App_BACnet_Type;
    const std::optional<QString> chosen = plat::dialogs().openFile(QString(), OD_EDE_File.InitialDir, OD_EDE_File.Filter);
    if (!chosen) return;
    if (plat::fileExists(*chosen)) {
        window->EDE_File = *chosen;
        if (window->ShowModal() == plat::mrOk) {
            accesslist::Rows pages[2] = {rowsOf(*CG1), rowsOf(*CG2)};
            const ImportOutcome out =
                importObjects(pages[0], pages[1], App_BACnet_Type, window->List_EDE_Var, window->E_ID_IP->text());
            TExColumnGrid* grids[2] = {CG1, CG2};
            QStringList left;
            for (int p = 0; p < 2; ++p) {
                for (int i : out.filled[p]) {
                    const accesslist::Row& row = pages[p][size_t(i)];
                    for (int c = 1; c < grids[p]->TotalColCount(); ++c) grids[p]->SetCells(c, i + 1, row.value(c));
                }
                if (out.notImported[p] > 0)
                    left << QStringLiteral("%1 of the chosen objects were not imported into \"%2\": it has no free row left.")
                                .arg(out.notImported[p])
                                .arg(text(p == 0 ? 4706 : 4707));
            }
            if (!left.isEmpty()) plat::dialogs().warning(left.join(u'\n'));
        }
    }
    g_EDEImportPath = QFileInfo(*chosen).absolutePath();
    OD_EDE_File.InitialDir = g_EDEImportPath;
}
