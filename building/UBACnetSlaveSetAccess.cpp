#include "building/UBACnetSlaveSetAccess.h"

#include "building/BACnetSchema.h"
#include "building/BuildingLists.h"
#include "building/UBACnet_Eng_Unit.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"

#include <QLabel>
#include <QLineEdit>

namespace {

std::vector<AccessListColumn> columns(int firstHeader) {
    using namespace building;
    return {{firstHeader, -1, edNormal, 35, clWindow},
            {firstHeader + 1, -1, edComboList, 160, kIdentityColour},
            {firstHeader + 2, -1, edNormal, 75, kDataColour},
            {firstHeader + 3, -1, edComboList, 75, kDataColour},
            {firstHeader + 4, -1, edComboList, 70, kDataColour},
            {firstHeader + 5, -1, edNormal, 70, kDataColour},
            {firstHeader + 6, -1, edDataCheckBox, 50, kProtocolColour},
            {firstHeader + 7, -1, edNormal, 230, clWhite}};
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FBACnetSlaveSetAccess", 764, nullptr, 4300, 4301, 4302, 4310, 4360, 4332, false,
        &bacnet::schema(), &g_BACnetSlaveSetAccessFile,
        {{"TS_BACnet_in_Read", "CG_BACnet_in_Read", 4308, columns(4316)},
         {"TS_BACnet_in_Write", "CG_BACnet_in_Write", 4309, columns(4324)}}};
    return def;
}

QStringList numbers(int from, int to) {
    QStringList l;
    for (int i = from; i <= to; ++i) l << QString::number(i);
    return l;
}

}  // namespace

TFBACnetSlaveSetAccess::TFBACnetSlaveSetAccess(QWidget* parent) : TAccessListForm(definition(), parent) {
    TS_BACnet_in_Read = Page(0);
    TS_BACnet_in_Write = Page(1);
    CG_BACnet_in_Read = &Grid(0);
    CG_BACnet_in_Write = &Grid(1);
    for (TExColumnGrid* g : {CG_BACnet_in_Read, CG_BACnet_in_Write}) {
        // Swap is kept in the file but not offered.
        g->HideColumn(bacnet::cSwap);
        g->Columns().Items(bacnet::cBit).SetComboItems(numbers(0, 7));
    }
    CG_BACnet_in_Read->Columns().Items(bacnet::cDataType).SetComboItems(bacnet::readTypes());
    CG_BACnet_in_Write->Columns().Items(bacnet::cDataType).SetComboItems(bacnet::writeTypes());
    CG_BACnet_in_Write->OnComboChange = [this](QObject* s, int c, int r, int i, const QString& t) {
        CG_BACnet_in_WriteComboChange(s, c, r, i, t);
    };
    Set_Lang();
}

void TFBACnetSlaveSetAccess::Prepare_Show() {
    NByte_IN = bacnet::kAreaBytes;
    NByte_OUT = bacnet::kAreaBytes;
    CG_BACnet_in_Read->Columns().Items(bacnet::cPosition).SetComboItems(numbers(0, NByte_IN - 1));
    CG_BACnet_in_Write->Columns().Items(bacnet::cPosition).SetComboItems(numbers(0, NByte_OUT - 1));
    // Read anew at every showing: the communication parameters may have switched long names on.
    Desc_Lenght = false;
    if (plat::fileExists(g_ParGenFile))
        if (const std::optional<QByteArray> bytes = plat::readFile(g_ParGenFile)) Desc_Lenght = bacnet::longNames(*bytes);
    const int rows = Desc_Lenght ? bacnet::kRowsLongNames : bacnet::kRows;
    CG_BACnet_in_Read->SetRowCount(rows + 1);
    CG_BACnet_in_Write->SetRowCount(rows + 1);
}

std::vector<accesslist::SectionRules> TFBACnetSlaveSetAccess::Rules() const {
    return bacnet::rules(Desc_Lenght ? bacnet::kRowsLongNames : bacnet::kRows);
}

void TFBACnetSlaveSetAccess::pickUnit(TExColumnGrid& grid, int row) {
    TFBACnet_Eng_Unit* picker = Unit_Picker ? Unit_Picker : FBACnet_Eng_Unit;
    if (!picker) return;
    const QString current = grid.Cells(bacnet::cEngUnit, row);
    picker->E_Selected_EU->setText(current);
    picker->Label5->setText(QStringLiteral("-> ") +
                            Desc_Unit(accesslist::listNumber(current, accesslist::NumberRule::Decimal)));
    if (picker->ShowModal() == plat::mrOk) grid.SetCells(bacnet::cEngUnit, row, picker->E_Selected_EU->text());
}

void TFBACnetSlaveSetAccess::CG_BACnet_in_ReadDblClickCell(QObject* Sender, int ARow, int ACol) {
    if (ACol == bacnet::cEngUnit && ARow >= 1) pickUnit(*CG_BACnet_in_Read, ARow);
    TAccessListForm::DblClickCell(Sender, ARow, ACol);
}

void TFBACnetSlaveSetAccess::CG_BACnet_in_WriteDblClickCell(QObject* Sender, int ARow, int ACol) {
    if (ACol == bacnet::cEngUnit && ARow >= 1) pickUnit(*CG_BACnet_in_Write, ARow);
    TAccessListForm::DblClickCell(Sender, ARow, ACol);
}

void TFBACnetSlaveSetAccess::DblClickCell(QObject* Sender, int ARow, int ACol) {
    if (Sender == CG_BACnet_in_Write)
        CG_BACnet_in_WriteDblClickCell(Sender, ARow, ACol);
    else
        CG_BACnet_in_ReadDblClickCell(Sender, ARow, ACol);
}

void TFBACnetSlaveSetAccess::CG_BACnet_in_WriteComboChange(QObject*, int ACol, int ARow, int,
                                                           const QString& ASelection) {
    if (ACol != bacnet::cDataType || ARow < 1) return;
    if (const std::optional<QString> length = bacnet::writeLengthPreset(ASelection))
        CG_BACnet_in_Write->SetCells(bacnet::cLength, ARow, *length);
}

void TFBACnetSlaveSetAccess::GridHint(QObject*, int, int, QString& hint) { hint.clear(); }
