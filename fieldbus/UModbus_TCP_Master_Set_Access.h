#pragma once
// The Modbus TCP master list: the polling rules of a gateway acting as Modbus TCP client, each
// behind the server's IP address and port; read rules tied to MQTT publish topics. Kept in
// "ModbusTCPM_SetAccess.xml".
#include "fieldbus/ModbusLists.h"

class TFModbus_TCP_Master_Set_Access : public TModbusAccessForm {
    Q_OBJECT
public:
    explicit TFModbus_TCP_Master_Set_Access(QWidget* parent = nullptr);

    void Set_Lang() override;
    // Header hints and the Enter key are the write grid's only.
    void KeyPress(QObject* Sender, QChar& Key) override;
    void GridHint(QObject* Sender, int ARow, int ACol, QString& hint) override;
    // True when the text is NOT a valid IP address.
    static bool Check_IP_Address(const QString& IP_Address) { return modbus::Check_IP_Address(IP_Address); }
};

inline TFModbus_TCP_Master_Set_Access* FModbus_TCP_Master_Set_Access = nullptr;
