#include "building/USNMPManagerAccess.h"

#include "building/BuildingLists.h"
#include "building/SNMPManagerSchema.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

using namespace snmpmanager;

constexpr TColor kSecurityColour = 11075583;  // light yellow: the version-3 credentials

const AccessListDef& definition() {
    using namespace building;
    static const AccessListDef def{
        "FSNMPManagerAccess", 1230, nullptr, 4000, 4001, 4002, 4048, 4047, 4037, true,
        &snmpmanager::schema(), &g_SNMPManagerFile,
        {{"", "CG_SNMP", -1,
          {{4008, -1, edNormal, 32, clWindow},
           {4009, 4023, edDataCheckBox, 50, kProtocolColour},
           {4010, 4024, edNormal, 100, kIdentityColour},
           {4011, 4025, edComboList, 55, kIdentityColour},
           {4012, 4026, edComboEdit, 105, kIdentityColour},
           {4013, 4027, edNormal, 140, kIdentityColour},
           {4014, 4028, edComboList, 55, kIdentityColour},
           {4015, 4029, edComboList, 55, kProtocolColour},
           {4016, 4030, edDataCheckBox, 65, kProtocolColour},
           {4017, 4031, edDataCheckBox, 55, kProtocolColour},
           {4018, 4032, edDataCheckBox, 60, kProtocolColour},
           {4019, 4033, edNormal, 70, kProtocolColour},
           {4020, 4034, edComboList, 60, kDataColour},
           {4021, 4035, edNormal, 70, kDataColour},
           {4054, 4055, edComboList, 85, kDataColour},
           {4060, 4061, edDataCheckBox, 50, kProtocolColour},
           {4062, 4068, edNormal, 90, kSecurityColour},
           {4063, 4069, edNormal, 90, kSecurityColour},
           {4064, 4070, edNormal, 90, kSecurityColour},
           {4065, 4071, edComboList, 105, kSecurityColour},
           {4066, 4072, edComboList, 70, kSecurityColour},
           {4067, 4073, edComboList, 70, kSecurityColour},
           {4022, 4036, edNormal, 160, clWhite}}}}};
    return def;
}

QStringList items(std::initializer_list<const char*> texts) {
    QStringList l;
    for (const char* t : texts) l << QString::fromLatin1(t);
    return l;
}

}  // namespace

TFSNMPManagerAccess::TFSNMPManagerAccess(QWidget* parent) : TAccessListForm(definition(), parent) {
    CG_SNMP = &Grid(0);
    TGridColumnCollection& columns = CG_SNMP->Columns();
    columns.Items(cVersion).SetComboItems(items({"1", "2", "3"}));
    columns.Items(cCommunity).SetComboItems(items({"Corvex", "Dunmore"}));
    columns.Items(cType).SetComboItems(items({"String", "Int"}));
    columns.Items(cMode).SetComboItems(items({"Get", "Set", "Trap"}));
    columns.Items(cConversion).SetComboItems(items({"None", "Float", "Float * 10", "Float * 100"}));
    columns.Items(cSecurityLevel).SetComboItems(items({"NoAuth NoPriv", "Auth NoPriv", "Auth Priv"}));
    columns.Items(cAuthMode).SetComboItems(items({"MD5", "SHA"}));
    columns.Items(cPrivMode).SetComboItems(items({"DES", "AES"}));
    Set_Lang();
}

void TFSNMPManagerAccess::Prepare_Show() {
    QStringList positions;
    positions.reserve(kAreaBytes);
    for (int i = 0; i < kAreaBytes; ++i) positions << QString::number(i);
    CG_SNMP->Columns().Items(cPosition).SetComboItems(positions);
}

std::vector<accesslist::SectionRules> TFSNMPManagerAccess::Rules() const { return snmpmanager::rules(); }
