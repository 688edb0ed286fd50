#include "fieldbus/UModbus_TCP_Master_Set_Access.h"

#include "grid/ExCGrid.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include "controls/FadeButton.h"

namespace {

using namespace modbus::colours;

std::vector<AccessListColumn> readColumns() {
    return {{1508, -1, edNormal, 40, clWindow},          {1509, 1569, edDataCheckBox, 50, kEnable},
            {1510, 1570, edNormal, 101, kIdentity},      {1511, 1571, edNormal, 45, kIdentity},
            {1512, 1572, edNormal, 55, kIdentity},       {1513, 1573, edComboList, 100, kIdentity},
            {1514, 1574, edNormal, 55, kIdentity},       {1515, 1575, edNormal, 45, kIdentity},
            {1516, 1576, edNormal, 60, kTiming},         {1517, 1577, edNormal, 64, kTiming},
            {1518, 1578, edComboList, 60, kArea},        {1519, 1579, edComboList, 60, kArea},
            {1520, 1580, edDataCheckBox, 40, kSwap},     {1600, 1602, edDataCheckBox, 80, kSwap},
            {1562, 1581, edComboList, 120, kTopic},      {1521, 1582, edNormal, 140, clWhite}};
}

std::vector<AccessListColumn> writeColumns() {
    return {{1522, -1, edNormal, 40, clWindow},          {1523, 1583, edDataCheckBox, 50, kEnable},
            {1524, 1584, edNormal, 101, kIdentity},      {1525, 1585, edNormal, 45, kIdentity},
            {1526, 1586, edNormal, 55, kIdentity},       {1527, 1587, edComboList, 100, kIdentity},
            {1528, 1588, edNormal, 55, kIdentity},       {1529, 1589, edNormal, 45, kIdentity},
            {1530, 1590, edNormal, 60, kTiming},         {1531, 1591, edDataCheckBox, 66, kTiming},
            {1532, 1592, edDataCheckBox, 56, kTiming},   {1533, 1593, edNormal, 62, kTiming},
            {1534, 1594, edComboList, 55, kArea},        {1535, 1595, edComboList, 55, kArea},
            {1536, 1596, edDataCheckBox, 40, kSwap},     {1601, 1603, edDataCheckBox, 80, kSwap},
            {1537, 1597, edNormal, 150, clWhite}};
}

const AccessListDef& definition() {
    // Copy Row and Paste Row keep the captions they were built with.
    static const AccessListDef def{
        "FModbus_TCP_Master_Set_Access", 1150, "Verdena", 1500, 1501, -1, 1563, 1561, 1538, true,
        &modbus::tcpMasterSchema(), &g_ModbusTCPMSetAccessFile,
        {{"TS_Modbus_Read", "CG_Modbus_Read", 1506, readColumns()},
         {"TS_Modbus_Write", "CG_Modbus_Write", 1507, writeColumns()}}};
    return def;
}

}  // namespace

TFModbus_TCP_Master_Set_Access::TFModbus_TCP_Master_Set_Access(QWidget* parent)
    : TModbusAccessForm(definition(), modbus::kTcpMasterColumns, &modbus::tcpMasterRules, parent) {
    Set_Lang();
}

void TFModbus_TCP_Master_Set_Access::Set_Lang() {
    TModbusAccessForm::Set_Lang();
    TFadeButton* captioned[] = {Btn_OK, Btn_Cancel, Btn_DelRow, Btn_InsRow};
    for (int i = 0; i < 4; ++i) captioned[i]->SetCaption(Text_Table.value(1502 + i));
}

void TFModbus_TCP_Master_Set_Access::KeyPress(QObject* Sender, QChar& Key) {
    if (Sender == CG_Modbus_Write) TModbusAccessForm::KeyPress(Sender, Key);
}

void TFModbus_TCP_Master_Set_Access::GridHint(QObject* Sender, int ARow, int ACol, QString& hint) {
    if (Sender == CG_Modbus_Write) TModbusAccessForm::GridHint(Sender, ARow, ACol, hint);
}
