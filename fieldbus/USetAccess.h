#pragma once
// The Modbus master list: the polling rules of a gateway acting as Modbus master (which slave,
// which registers or statuses, how often), each read rule tied to an MQTT publish topic. Kept in
// "ModbusM_SetAccess.xml".
#include "fieldbus/ModbusLists.h"

class TFSetAccess : public TModbusAccessForm {
    Q_OBJECT
public:
    explicit TFSetAccess(QWidget* parent = nullptr);
};

inline TFSetAccess* FSetAccess = nullptr;
