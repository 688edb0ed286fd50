#include "fieldbus/USetAccess.h"

#include "shell/UComon.h"

namespace {

using namespace modbus::colours;

std::vector<AccessListColumn> readColumns() {
    return {{1316, -1, edNormal, 40, clWindow},          {1317, 1343, edDataCheckBox, 50, kEnable},
            {1318, 1344, edNormal, 60, kIdentity},       {1319, 1345, edComboList, 115, kIdentity},
            {1320, 1346, edNormal, 60, kIdentity},       {1321, 1347, edNormal, 64, kIdentity},
            {1322, 1348, edNormal, 64, kTiming},         {1323, 1349, edNormal, 64, kTiming},
            {1324, 1350, edComboList, 61, kArea},        {1325, 1351, edComboList, 64, kArea},
            {1326, 1352, edDataCheckBox, 40, kSwap},     {1390, 1392, edDataCheckBox, 80, kSwap},
            {1342, 1353, edComboList, 120, kTopic},      {1327, 1354, edNormal, 120, clWhite}};
}

std::vector<AccessListColumn> writeColumns() {
    return {{1328, -1, edNormal, 40, clWindow},          {1329, 1355, edDataCheckBox, 50, kEnable},
            {1330, 1356, edNormal, 60, kIdentity},       {1331, 1357, edComboList, 115, kIdentity},
            {1332, 1358, edNormal, 60, kIdentity},       {1333, 1359, edNormal, 64, kIdentity},
            {1334, 1360, edNormal, 64, kTiming},         {1335, 1361, edDataCheckBox, 68, kTiming},
            {1336, 1362, edDataCheckBox, 56, kTiming},   {1337, 1363, edNormal, 64, kTiming},
            {1338, 1364, edComboList, 64, kArea},        {1339, 1365, edComboList, 64, kArea},
            {1340, 1366, edDataCheckBox, 40, kSwap},     {1391, 1393, edDataCheckBox, 80, kSwap},
            {1341, 1367, edNormal, 113, clWhite}};
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FSetAccess", 956, nullptr, 1300, 1301, 1302, 1308, 1388, 1368, true,
        &modbus::masterSchema(), &g_ModbusMSetAccessFile,
        {{"TS_Modbus_Read", "CG_Modbus_Read", 1314, readColumns()},
         {"TS_Modbus_Write", "CG_Modbus_Write", 1315, writeColumns()}}};
    return def;
}

}  // namespace

TFSetAccess::TFSetAccess(QWidget* parent)
    : TModbusAccessForm(definition(), modbus::kMasterColumns, &modbus::masterRules, parent) {
    Set_Lang();
}
