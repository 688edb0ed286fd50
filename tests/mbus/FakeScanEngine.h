#pragma once
// A scan engine for the Scan & Decode window's tests: it records what the window asks, keeps the
// report callbacks for the test to call, and saves through the real writers.
#include "mbus/MBusMeters.h"
#include "mbus/MBusScanSave.h"
#include "mbus/UScanDecode.h"

#include <optional>

namespace scan_fake {

using namespace mbus;

class FakeEngine final : public TScanEngineControl {
public:
    bool inScan = false;
    int result = -1;
    bool run = false;
    int starts = 0;
    int wirelessStarts = 0;
    int stops = 0;
    int aborts = 0;
    bool acceptKey = true;
    std::optional<int> keyIndex;
    std::array<uint8_t, 16> key{};
    QString ipCom;
    int32_t baud = 0, cutAfter = 0, parity = -1;
    uint16_t port = 0;
    int32_t mode = -1;
    std::vector<TSaveConfXML> saves;
    TUpdateSlaveList progress;
    TUpdateListWirelessSlave heard;

    int failure = -1;  // -1: the interface's own answer
    QString failureMessage;

    bool InScan() const override { return inScan; }
    int Result() const override { return result; }
    int Failure() const override { return failure >= 0 ? failure : TScanEngineControl::Failure(); }
    QString Failure_Message() const override { return failureMessage; }
    bool Start_Scan(TMBusScanDecode::TScanType, TMBusScanDecode::TSelectHard, const QString& ip, int32_t b,
                    int32_t p, bool, bool, int32_t cut, bool, uint8_t, bool, TUpdateSlaveList cb) override {
        ++starts;
        ipCom = ip;
        baud = b;
        parity = p;
        cutAfter = cut;
        progress = std::move(cb);
        inScan = true;
        return true;
    }
    bool Start_Scan_Wireless(TMBusScanDecode::TSelectHard, const QString& ip, uint16_t pt, int32_t m, int32_t,
                             bool, TUpdateListWirelessSlave cb) override {
        ++wirelessStarts;
        ipCom = ip;
        port = pt;
        mode = m;
        heard = std::move(cb);
        inScan = true;
        return true;
    }
    void Stop_Scan() override { ++stops; }
    void Abort_Scan() override { ++aborts; }
    bool Insert_Wireless_Key(int32_t index, const std::array<uint8_t, 16>& k) override {
        keyIndex = index;
        key = k;
        return acceptKey;
    }
    bool Save_XML_Conf_Wired(const TSaveConfXML& d, bool bcd, const TTickQuery& ticked) override {
        saves.push_back(d);
        return mbus::Save_XML_Conf_Wired(g_MBusSlaveList, d, bcd, ticked);
    }
    bool Save_XML_Conf_Wireless(const TSaveConfXML& d, bool bcd) override {
        saves.push_back(d);
        return mbus::Save_XML_Conf_Wireless(g_WMBusSlaveList, d, bcd);
    }
    void Set_Run(bool r) override { run = r; }
    void Set_SaveXMLFile(const QString&) override {}
};

inline TVariable_MBus value(const char* text) {
    TVariable_MBus v;
    v.dimension = 4;
    v.nbyte = 4;
    v.type_data = 2;
    v.ValueStr = QString::fromLatin1(text);
    v.Desc_Type_Data = QStringLiteral("Volume m3");
    v.storage_number = 1;
    v.tarif = 2;
    v.device = 3;
    v.DIF = QStringLiteral("$04");
    v.VIF = 0x13;
    v.totdati = QStringLiteral("01020304");
    return v;
}

inline std::unique_ptr<TSlave_MBus> wiredMeter(int primary, int values) {
    auto m = std::make_unique<TSlave_MBus>();
    m->Primary_Addresss = uint16_t(primary);
    m->Secondary_Addresss = QStringLiteral("12345678");
    m->descManufacture = QStringLiteral("ABC");
    m->Manufacture = 1091;
    m->Version = 7;
    m->Medium = 6;
    for (int v = 0; v < values; ++v) m->List_Var.push_back(value(v == 0 ? "12.5" : "40"));
    return m;
}

inline void putWireless(int index, bool cripted, uint8_t rssiTag = 0) {
    g_WMBusSlaveList.Locked([&](TWMBusMeters& list) {
        if (int(list.size()) <= index) list.resize(size_t(index) + 1);
        if (!list[size_t(index)]) list[size_t(index)] = std::make_unique<TSlave_wMBus>();
        TSlave_wMBus& m = *list[size_t(index)];
        m.ALA_Manu_str = QStringLiteral("KAM");
        m.ALA_Manufacturer = 0x2C2D;
        m.ALA_Address = 0x12345678 + uint32_t(index);
        m.ALA_Version = 0x1B;
        m.ALA_DeviceType = 7;
        m.Cripted = cripted;
        m.RSSI = int8_t(-60 - rssiTag);
        m.List_Var = {value("5")};
    });
}

}  // namespace scan_fake
