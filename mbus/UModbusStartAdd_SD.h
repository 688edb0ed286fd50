#pragma once
// The Modbus start address of each scanned meter before a "Save Node Add. Conf." save: the caller
// lists the meters in `sga` (identification in column 0, address in column 1), the user edits the
// addresses, and the caller reads column 1 and the two check boxes after OK.
#include "platform/Form.h"

class QCheckBox;
class TExColumnGrid;
class TFadeButton;

class TFModbusStartAdd_SD : public plat::TForm {
    Q_OBJECT
public:
    explicit TFModbusStartAdd_SD(QWidget* parent = nullptr);
    void Set_Lang() override;

    // OK: closes with OK when every row passes Check_Data.
    void Btn_OKClick();
    // Every data row from the first holds an address from 1 to 59999 in column 1; the first row
    // that does not is shown with its number and the answer is false.
    bool Check_Data();

    QCheckBox* CB_En_NodeState;
    QCheckBox* CB_En_IndNum;
    TExColumnGrid* sga;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

protected:
    void FormShow() override;
};

inline TFModbusStartAdd_SD* FModbusStartAdd_SD = nullptr;
