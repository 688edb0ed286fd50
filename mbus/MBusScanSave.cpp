#include "mbus/MBusScanSave.h"

#include "mbus/MBusNetwork.h"
#include "platform/XmlDoc.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace mbus {

namespace {

bool isIn(int value, std::initializer_list<int> set) { return std::find(set.begin(), set.end(), value) != set.end(); }

// Families whose nodes carry the meter's address in "ID", in "Secondary_address", and whose values
// get a register for the node state and identification number.
bool writesId(int family) { return isIn(family, {2, 4, 5, 7, 8, 10}); }
bool writesSecondary(int family) { return isIn(family, {4, 7}); }
bool reservesNodeRegisters(int family) { return isIn(family, {0, 1, 9, 13, 14}); }
bool groupsNodes(int family) { return isIn(family, {4, 7}); }
constexpr int kBACnetFamily = 12;

void put(pugi::xml_node e, const char* name, const QString& value) {
    e.append_attribute(name).set_value(value.toUtf8().constData());
}
void put(pugi::xml_node e, const char* name, const char* value) { e.append_attribute(name).set_value(value); }
void put(pugi::xml_node e, const char* name, unsigned long long value) { e.append_attribute(name).set_value(value); }
void put(pugi::xml_node e, const char* name, int value) { e.append_attribute(name).set_value(value); }
void put(pugi::xml_node e, const char* name, unsigned value) { e.append_attribute(name).set_value(value); }
void putFlag(pugi::xml_node e, const char* name, bool value) { put(e, name, value ? "1" : "0"); }

void putText(pugi::xml_node parent, const char* name, const QString& text) {
    pugi::xml_node e = parent.append_child(name);
    if (!text.isEmpty()) e.append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
}

QString ust(const TVariable_MBus& v) {
    return QStringLiteral("(U%1S%2T%3)").arg(v.device).arg(v.storage_number).arg(v.tarif);
}

// The editor numbers the function field 0 instantaneous, 1 minimum, 2 maximum; records number
// maximum 1 and minimum 2.
int editorFunction(uint16_t functionField) {
    if (functionField == 1) return 2;
    if (functionField == 2) return 1;
    return functionField;
}

struct Family {
    int code;
    bool wireless;
};

// The running Modbus register of a save.
class Registers {
public:
    explicit Registers(const TSaveConfXML& d) : d_(d), next_(d.Mod_Start) {}

    void startNode(size_t index) {
        if (d_.StartModnode == 1 && index < d_.SMN_Array.size()) next_ = d_.SMN_Array[index];
    }
    int32_t take(int count) {
        const int32_t r = next_;
        next_ += count;
        return r;
    }
    int32_t next() const { return next_; }

private:
    const TSaveConfXML& d_;
    int32_t next_;
};

// The node attributes that depend on the family and follow "Cut_After".
void putFamilyNodeAttributes(pugi::xml_node e, const Family& f, const TSaveConfXML& d, Registers& reg) {
    if (f.code == kBACnetFamily) {
        if (!f.wireless) put(e, "MBus_Type", "1");
        for (const char* name : {"Node_State", "Ident_Num", "BCDtoINT_IN", "Swap_IN", "Var_List_Type", "NS_VarType",
                                 "IN_VarType"})
            put(e, name, "0");
    }
    if (!f.wireless && (f.code == 13 || f.code == 14)) put(e, "MBus_Type", "1");
    if (reservesNodeRegisters(f.code) && d.StartModnode == 1) {
        if (d.En_NodeState)
            put(e, "Node_State", reg.take(1));
        else
            put(e, "Node_State", "0");
        if (d.En_IdeNum)
            put(e, "Ident_Num", reg.take(2));
        else
            put(e, "Ident_Num", "0");
    }
}

void putVariable(pugi::xml_node node, const TVariable_MBus& v, int position, bool ticked, const Family& f,
                 const TSaveConfXML& d, bool checkBCD, Registers& reg) {
    pugi::xml_node e = node.append_child("Variabile");
    putFlag(e, "Enable", ticked);
    put(e, "Position", position);
    put(e, "Desc", v.Desc_Type_Data + u' ' + ust(v));
    put(e, "Type", unsigned(v.type_data));
    put(e, "VIF_ASCII", v.type_data == 21 ? v.VIF_ASCII : QString());
    put(e, "Fun_Field", editorFunction(v.function_fild));
    put(e, "Length", v.dimension == 13 ? v.nbyte : 0);
    // An unticked value takes no register in a per-node layout.
    const int count = d.StartModnode == 1 && !ticked ? 0 : Register_Count(v.dimension, v.nbyte);
    if (f.code != kBACnetFamily)
        put(e, "ModReg", reg.take(count));
    else
        reg.take(count);
    put(e, "Dim", Dim_Index(v.dimension));
    put(e, "Unit", unsigned(v.device));
    put(e, "StoNumber", static_cast<unsigned long long>(v.storage_number));
    put(e, "Tariff", unsigned(v.tarif));
    put(e, "VIFE", v.Type_Data_Vife);
    if (f.code == kBACnetFamily) {
        put(e, "BACnet_EngUnits", 95);  // no units
        put(e, "BACnet_DataType", "0");
        put(e, "Post_Operation", "0");
    } else {
        put(e, "ModScale", "0");
    }
    putFlag(e, "BCDtoINT", v.Is_BCD && checkBCD);
    put(e, "SWAP", "0");
}

// The document to add nodes to: the existing file, or a new one without comment.
pugi::xml_node startDocument(plat::XmlDocument& doc, const TSaveConfXML& d) {
    if (d.Append == 1) {
        QString error;
        if (!doc.load(d.File_Name, &error)) throw plat::Error(error);
        return doc.root().node();
    }
    return doc.createRoot(QString::fromLatin1(kNetworkRoot)).node();
}

void save(const plat::XmlDocument& doc, const QString& fileName) {
    QString error;
    if (!doc.save(fileName, &error)) throw plat::Error(error);
}

void putReportVariable(pugi::xml_node node, const TVariable_MBus& v) {
    pugi::xml_node e = node.append_child("Variable");
    put(e, "Value", v.ValueStr);
    put(e, "Type", v.Desc_Type_Data);
    put(e, "UST", ust(v));
    putText(e, "Storage_Number", QString::number(v.storage_number));
    putText(e, "Tariff", QString::number(v.tarif));
    putText(e, "Unit", QString::number(v.device));
    putText(e, "Data_Field", v.DataFieldStr);
    putText(e, "Function_Field", v.FunctionFieldStr);
    putText(e, "Type", v.Desc_Type_Data);
    putText(e, "Value", v.ValueStr);
    putText(e, "DIF", v.DIF);
    putText(e, "VIF", QStringLiteral("$%1").arg(v.VIF, 2, 16, QChar(u'0')).toUpper());
    putText(e, "DIFE", v.DIFE);
    putText(e, "VIFE", v.VIFE);
    putText(e, "DATA", u'$' + v.totdati);
}

}  // namespace

int Register_Count(uint8_t dataField, int32_t nbyte) {
    switch (dataField) {
    case 1: case 2: case 9: case 10: return 1;
    case 3: case 4: case 5: case 11: case 12: return 2;
    case 6: case 14: return 3;
    case 7: return 4;
    case 13: {
        // (nbyte + 1) / 2 to the nearest whole number, a half to the even one.
        if (nbyte < 0) return 0;
        const int64_t twice = int64_t(nbyte) + 1;
        const int64_t whole = twice / 2;
        return int(twice % 2 == 0 ? whole : whole + (whole & 1));
    }
    default: return 0;
    }
}

int Dim_Index(uint8_t dataField) {
    switch (dataField) {
    case 1: case 9: return 0;
    case 2: case 10: return 1;
    case 4: case 12: return 2;
    case 7: return 3;
    case 3: case 11: return 4;
    case 6: case 14: return 5;
    case 5: return 6;
    case 13: return 7;
    default: return 255;
    }
}

bool Save_XML_Conf_Wired(TMBusSlaveList& list, const TSaveConfXML& d, bool Check_BCD, const TWiredTickQuery& ticked) {
    const auto isTicked = [&](int meter, int variable) { return !ticked || ticked(meter, variable); };
    return list.Locked([&](TMBusMeters& meters) {
        if (meters.empty()) return false;
        const Family f{d.XML_Code_Dev, false};
        plat::XmlDocument doc;
        pugi::xml_node parent = startDocument(doc, d);
        if (groupsNodes(f.code)) {
            parent = parent.append_child("Group");
            put(parent, "Baudrate", d.Index_Baud);
            put(parent, "Parity", d.Index_Par);
        }
        Registers reg(d);
        for (size_t i = 0; i < meters.size(); ++i) {
            const TSlave_MBus& m = *meters[i];
            reg.startNode(i);
            pugi::xml_node e = parent.append_child("Nodo");
            putFlag(e, "Node_Enable", isTicked(int(i), -1));
            if (writesId(f.code)) put(e, "ID", unsigned(m.Primary_Addresss));
            if (writesSecondary(f.code)) put(e, "Secondary_address", m.Secondary_Addresss);
            put(e, "ID_Primary", unsigned(m.Primary_Addresss));
            put(e, "ID_Secondary", m.Secondary_Addresss);
            put(e, "Node_ID_Type", d.Node_ID_Type);
            put(e, "Descrizione", m.descManufacture);
            putFlag(e, "Send_SND_NKE", d.SND_NKE == 1);
            putFlag(e, "Reset_App", d.Reset_App == 1);
            put(e, "Cut_After", d.Cut_After);
            putFamilyNodeAttributes(e, f, d, reg);
            for (size_t k = 0; k < m.List_Var.size(); ++k)
                putVariable(e, m.List_Var[k], int(k) + 1, isTicked(int(i), int(k)), f, d, Check_BCD, reg);
        }
        save(doc, d.File_Name);
        return true;
    });
}

bool Save_XML_Conf_Wireless(TWMBusSlaveList& list, const TSaveConfXML& d, bool Check_BCD) {
    return list.Locked([&](TWMBusMeters& meters) {
        if (meters.empty()) return false;
        const Family f{d.XML_Code_Dev, true};
        plat::XmlDocument doc;
        pugi::xml_node parent = startDocument(doc, d);
        Registers reg(d);
        for (size_t i = 0; i < meters.size(); ++i) {
            const TSlave_wMBus& m = *meters[i];
            reg.startNode(i);
            pugi::xml_node e = parent.append_child("Nodo");
            putFlag(e, "Node_Enable", m.Enable);
            if (writesId(f.code)) put(e, "ID", "1");
            if (writesSecondary(f.code)) put(e, "Secondary_address", "1");
            put(e, "ID_Primary", "1");
            put(e, "ID_Secondary", "1");
            put(e, "Node_ID_Type", "0");
            put(e, "Descrizione", m.ALA_Manu_str);
            put(e, "Send_SND_NKE", "0");
            put(e, "Reset_App", "0");
            put(e, "Cut_After", "3");
            putFamilyNodeAttributes(e, f, d, reg);
            put(e, "MBus_Type", "0");
            put(e, "wMBus_ManID", unsigned(m.ALA_Manufacturer));
            put(e, "wMBus_Add", unsigned(m.ALA_Address));
            put(e, "wMBus_Ver", unsigned(m.ALA_Version));
            put(e, "wMBus_DevType", unsigned(m.ALA_DeviceType));
            putFlag(e, "wMBus_En_Key", m.Enable_Key);
            for (size_t k = 0; k < m.Key.size(); ++k)
                put(e, ("wMBus_Key_" + std::to_string(k + 1)).c_str(), unsigned(m.Key[k]));
            // Idle fillers are not values, but they keep their place in the positions.
            for (size_t k = 0; k < m.List_Var.size(); ++k) {
                const TVariable_MBus& v = m.List_Var[k];
                if (v.Real_Wireless_Var) putVariable(e, v, int(k) + 1, v.Enable, f, d, Check_BCD, reg);
            }
        }
        save(doc, d.File_Name);
        return true;
    });
}

void Save_XML_File_DLL(TMBusSlaveList& list, const QString& fileName) {
    plat::XmlDocument doc;
    pugi::xml_node root = doc.createRoot(QStringLiteral("SCAN_M-Bus_Wired")).node();
    list.Locked([&](TMBusMeters& meters) {
        for (const auto& m : meters) {
            pugi::xml_node e = root.append_child("Node");
            put(e, "Primary_Address", unsigned(m->Primary_Addresss));
            put(e, "Secondary_Address", m->Secondary_Addresss);
            put(e, "Manufacturer", QStringLiteral("%1 (%2)").arg(m->descManufacture).arg(m->Manufacture));
            put(e, "Version", m->Version);
            put(e, "Type", m->Medium);
            for (const TVariable_MBus& v : m->List_Var) putReportVariable(e, v);
        }
    });
    save(doc, fileName);
}

void Save_Wireless_XML_File_DLL(TWMBusSlaveList& list, const QString& fileName) {
    plat::XmlDocument doc;
    pugi::xml_node root = doc.createRoot(QStringLiteral("SCAN_M-Bus_Wireless")).node();
    list.Locked([&](TWMBusMeters& meters) {
        for (const auto& m : meters) {
            pugi::xml_node e = root.append_child("Node");
            put(e, "Manufacturer", m->ALA_Manu_str);
            put(e, "Address", QStringLiteral("%1").arg(m->ALA_Address, 8, 16, QChar(u'0')).toUpper());
            put(e, "Version", unsigned(m->ALA_Version));
            put(e, "Device_Type", unsigned(m->ALA_DeviceType));
            put(e, "Cripted", m->Cripted ? "True" : "False");
            for (const TVariable_MBus& v : m->List_Var) putReportVariable(e, v);
        }
    });
    save(doc, fileName);
}

}  // namespace mbus
