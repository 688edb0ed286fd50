#pragma once
// The first Modbus register of the meters that a scan appends to an existing network file.
#include "platform/Form.h"

class QLabel;
class QLineEdit;
class TFadeButton;

class TFScanModbusStart : public plat::TForm {
    Q_OBJECT
public:
    explicit TFScanModbusStart(QWidget* parent = nullptr);
    void Set_Lang() override;

    // OK: a register from 1 to 65535 becomes StartModAdd and closes with OK.
    void Btn_OKClick();

    // The register of the last valid OK.
    int StartModAdd = 0;

    QLabel* L_StartModAdd;
    QLineEdit* E_StartModAdd;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

protected:
    void FormShow() override;
};

inline TFScanModbusStart* FScanModbusStart = nullptr;
